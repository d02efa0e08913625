#include "foundation/log.h"
#include "localization/l10n.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessellon"));
    L10n::configure(AppLanguage::system);
    Log::write("[language] current=%@", L10n::current().rawValue());
    return 0;
}
