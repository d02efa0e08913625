#pragma once

#include <QString>

// Keeps the user's arrangement beside the layout file before a command
// replaces it wholesale (rearranging by name, importing another layout):
// "layout.json" is copied to "layout.previous.json" in the same folder. The
// launcher session takes it for every import it applies; the settings
// window for a rearrangement.
namespace LayoutBackup {

// The backup's path for the layout file at `layoutPath`.
QString pathFor(const QString &layoutPath);

// Copies the layout file to its backup, replacing an earlier backup (never
// writing through a link at the backup's place). No layout file: nothing to
// keep, true. False, with one "[store]" log line, when the layout could
// not be read or the backup not written; the layout is never touched.
bool keep(const QString &layoutPath);

} // namespace LayoutBackup
