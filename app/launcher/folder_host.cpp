#include "launcher/folder_host.h"

FolderHost::FolderHost(Host &host) : m_host(host) {}

void FolderHost::show(const LayoutEntry &, std::optional<int>) {}

void FolderHost::refreshGeometry() {}

void FolderHost::backdropChanged() {}
