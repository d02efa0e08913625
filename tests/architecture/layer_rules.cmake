# What each folder of the source may use: the one place to amend when a
# folder is added or may use something new. check_layers.cmake reads it.
#
#   "<folder>: <what it may use>"  the files under <folder>; a deeper row
#                                  (a sub-folder, or a file such as
#                                  app/main.cpp) takes its own files.
#   "<group> = <rows>"             a name for several rows; it owns no files.
#
# A row names only rows and groups ABOVE it, so the table is the order of the
# layers and no two folders can use each other. A row may also use whatever
# the rows it names may use, but not their system headers: each row names
# those itself. Every library's link list follows its row (headers' uses
# PUBLIC, sources' PRIVATE).
#
# System headers are named by kind: a Qt module (QtCore, QtGui, QtWidgets,
# QtDBus, ... as found in Qt's include folder, class headers such as <QWidget>
# included), or a kind below, matched by the start of the header's name.
# The C++ library and POSIX need no naming.
set(TESSELLON_SYSTEM_HEADERS
  "X11:   X11/ xcb/ X11-xcb/ xkbcommon/ GL/glx"
  "plist: plist/"
  "gio:   gio/ glib gobject/"
  "fontconfig: fontconfig/"
  # The platform plugin interface ships inside QtGui.
  "QtGui: qpa/"
)

set(TESSELLON_LAYERS
  # core: QtCore, and libplist in foundation only; no widgets, no GUI, no X.
  #   foundation -> localization -> model -> policy, import, uninstall
  "core/foundation:   QtCore plist"
  "core/localization: QtCore core/foundation"
  "core/model:        QtCore core/localization"
  "core/policy:       QtCore core/model"
  "core/import:       QtCore core/model"
  "core/uninstall:    QtCore core/model"
  "core = core/policy core/import core/uninstall"

  # platform: the core, never the application; X only in x11/.
  "platform:          QtCore QtGui QtWidgets QtDBus gio fontconfig core"
  "platform/trash:    QtCore core"
  "platform/x11:      QtCore QtGui QtWidgets X11 platform"

  # app: in the README's order, each folder only those above it. The session
  # stands alone, and so does what runs modally over the launcher; the
  # settings window reaches the rest only through its host.
  "app/session:       QtCore core"
  "app/modal:         QtCore QtGui QtWidgets"
  "app/tiles:         QtCore QtGui QtWidgets platform core"
  "app/paging:        QtCore QtGui core"
  "app/triggers:      QtCore platform core"
  "app/folders:       QtCore QtGui QtWidgets app/tiles"
  "app/launcher:      QtCore QtGui QtWidgets app/session app/modal app/tiles app/paging app/folders"
  "app/uninstall:     QtCore QtGui QtWidgets app/session app/modal platform/trash"
  "app/settings:      QtCore QtGui QtWidgets platform core"
  "app/shell:         QtCore QtGui QtWidgets app/launcher app/uninstall app/settings app/triggers"
  # Only main() reaches the X11 backend, through its factories.
  "app/main.cpp:      QtCore QtGui QtWidgets app/shell platform/x11"
)
