#include "localization_catalog.h"

const std::vector<LocalizationCatalog::Row> &LocalizationCatalog::rows()
{
    // Columns: zh-Hans (key), en, fr, de, ja, ru, es.
    static const std::vector<Row> catalog = {
        {"取消", "Cancel", "Annuler", "Abbrechen", "キャンセル", "Отмена", "Cancelar"},
        {"文件夹", "Folder", "Dossier", "Ordner", "フォルダ", "Папка", "Carpeta"},
        {"跟随系统", "Follow system", "Suivre le système", "Wie System", "システムに従う", "Как в системе", "Según el sistema"},
    };
    return catalog;
}

const QHash<AppLanguage, QHash<QString, QString>> &LocalizationCatalog::tables()
{
    static const QHash<AppLanguage, QHash<QString, QString>> built = [] {
        QHash<AppLanguage, QHash<QString, QString>> result;
        const std::vector<Row> &all = rows();
        const AppLanguage order[] = {AppLanguage::en, AppLanguage::fr, AppLanguage::de,
                                     AppLanguage::ja, AppLanguage::ru, AppLanguage::es};
        for (size_t p = 0; p < std::size(order); ++p) {
            QHash<QString, QString> table;
            table.reserve(qsizetype(all.size()));
            for (const Row &row : all)
                table.insert(QString::fromUtf8(row[0]), QString::fromUtf8(row[p + 1]));
            result.insert(order[p], table);
        }
        return result;
    }();
    return built;
}
