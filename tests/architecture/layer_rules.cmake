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
  # the folder overlay knows nothing of the view that hosts it.
  "app/folders -> shell/ launcher/ triggers/ x11/"
)
