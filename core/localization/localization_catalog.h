#pragma once

#include "app_language.h"

#include <QHash>
#include <QString>

#include <array>
#include <vector>

// Every user-visible text, keyed by its Simplified Chinese wording, with its
// English, French, German, Japanese, Russian and Spanish texts in that order.
// Held in code: no file is read at run time.
class LocalizationCatalog
{
public:
    using Row = std::array<const char *, 7>;

    static const std::vector<Row> &rows();
    // One table per translated language (en, fr, de, ja, ru, es), key -> text.
    static const QHash<AppLanguage, QHash<QString, QString>> &tables();

    LocalizationCatalog() = delete;
};
