#include "layout_folder.h"

#include "localization/l10n.h"

#include <QUuid>

LayoutFolder::LayoutFolder(QStringList bundleIDs)
    : id(newIdentifier()), name(defaultName()), bundleIDs(std::move(bundleIDs))
{
}

QString LayoutFolder::newIdentifier()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QString LayoutFolder::defaultName()
{
    return L("文件夹");
}
