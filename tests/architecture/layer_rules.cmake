# Which folders may not include which others: one rule a row, "<folder> -> <prefix> ...".
# A folder's sources (recursively) must not `#include` a path starting with any
# listed prefix. Paths are as written in the include line, relative to the
# include root of the folder's own tree (core/ for core, app/ for app).
set(TESSELLON_LAYER_RULES
  # core layers: foundation -> localization -> model -> policy, import, uninstall
  "core/foundation -> localization/ model/ policy/ import/ uninstall/"
  "core/localization -> model/ policy/ import/ uninstall/"
  "core/model -> policy/ import/ uninstall/"
  "core/policy -> import/ uninstall/"
  "core/import -> policy/ uninstall/"
  "core/uninstall -> policy/ import/"
  # core is QtCore and libplist only: no widgets, no X11.
  "core -> QtWidgets/ QtGui/ X11/ ../"
  # app folders: the session stands alone, the launcher never reaches the
  # shell, the settings window and the uninstall confirmation reach the rest
  # only through their hosts, and only main() reaches the X11 backend,
  # through its factories.
  "app/session -> shell/ launcher/ tiles/ paging/ triggers/ settings/ uninstall/ x11/"
  "app/tiles -> shell/ launcher/ paging/ triggers/ session/ settings/ uninstall/ x11/"
  "app/paging -> shell/ launcher/ tiles/ triggers/ session/ settings/ uninstall/ x11/"
  "app/triggers -> shell/ launcher/ tiles/ paging/ session/ settings/ uninstall/ x11/"
  "app/launcher -> shell/ triggers/ settings/ uninstall/ x11/"
  "app/settings -> shell/ launcher/ triggers/ session/ uninstall/ x11/"
  "app/uninstall -> shell/ triggers/ settings/ x11/"
  "app/shell -> x11/"
  "app -> *_x11.h"
  "app/folders -> shell/ launcher/ triggers/ session/ settings/ uninstall/ x11/"
)
