#include "model/app_item.h"
#include "model/layout_entry.h"
#include "model/layout_folder.h"
#include "tiles/tile_pasteboard.h"

#include <gtest/gtest.h>

#include <QMimeData>

#include <string>

namespace {

struct RoundTripCase
{
    const char *name;
    QString entryID;
    QString appPath;
    QString expectedURL; // empty: none
};

class TilePasteboardRoundTrip : public ::testing::TestWithParam<RoundTripCase>
{
};

TEST_P(TilePasteboardRoundTrip, CarriesIdentifierAndFileURL)
{
    const RoundTripCase &c = GetParam();
    const auto data = TilePasteboard::makeMimeData(c.entryID, c.appPath);
    EXPECT_TRUE(data->formats().contains("app.tessellon.tile"));
    EXPECT_EQ(TilePasteboard::entryID(data.get()), std::optional<QString>(c.entryID));
    if (c.expectedURL.isEmpty()) {
        EXPECT_FALSE(data->hasUrls());
        EXPECT_FALSE(TilePasteboard::fileURL(data.get()));
    } else {
        ASSERT_EQ(data->urls().size(), 1);
        EXPECT_EQ(data->urls().first().toString(QUrl::FullyEncoded), c.expectedURL);
        EXPECT_EQ(TilePasteboard::fileURL(data.get())->toLocalFile(), c.appPath);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TilePasteboardRoundTrip,
    ::testing::Values(
        RoundTripCase{"Application", "app:com.apple.Safari", "/Applications/Safari.app",
                      "file:///Applications/Safari.app"},
        RoundTripCase{"SpacesAndHash", "app:x", "/Applications/My App #2.app",
                      "file:///Applications/My%20App%20%232.app"},
        RoundTripCase{"NonAscii", "app:/Applications/微信.app", "/Applications/微信.app",
                      "file:///Applications/%E5%BE%AE%E4%BF%A1.app"},
        RoundTripCase{"NoPath", "app:com.example.a", "", ""},
        // A relative path means nothing to another process.
        RoundTripCase{"RelativePath", "app:com.example.a", "Applications/A.app", ""},
        RoundTripCase{"Folder", "folder:F00D", "", ""}),
    [](const ::testing::TestParamInfo<RoundTripCase> &info) { return std::string(info.param.name); });

TEST(TilePasteboard, TypeIsTheApplicationsOwn)
{
    EXPECT_EQ(TilePasteboard::tessellonTile(), "app.tessellon.tile");
}

TEST(TilePasteboard, FolderEntryNeverCarriesAFileURL)
{
    LayoutFolder folder;
    folder.id = "F1";
    folder.name = "Tools";
    const AppItem app("com.example.a", "A", "/Applications/A.app");
    const auto folderData = TilePasteboard::makeMimeData(LayoutEntry::makeFolder(folder), app);
    EXPECT_EQ(TilePasteboard::entryID(folderData.get()), LayoutEntry::makeFolder(folder).id);
    EXPECT_FALSE(folderData->hasUrls());

    const auto appData = TilePasteboard::makeMimeData(LayoutEntry::app(app.stableID()), app);
    EXPECT_EQ(TilePasteboard::entryID(appData.get()), std::optional<QString>("app:com.example.a"));
    ASSERT_TRUE(TilePasteboard::fileURL(appData.get()));
    EXPECT_EQ(TilePasteboard::fileURL(appData.get())->toLocalFile(), "/Applications/A.app");

    const auto unknown = TilePasteboard::makeMimeData(LayoutEntry::app("com.example.b"), std::nullopt);
    EXPECT_FALSE(unknown->hasUrls());
}

TEST(TilePasteboard, ForeignDataIsNotATile)
{
    EXPECT_FALSE(TilePasteboard::entryID(nullptr));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/x")});
    files.setText("app:com.example.a");
    EXPECT_FALSE(TilePasteboard::entryID(&files)) << "plain text is not our type";
    QMimeData empty;
    empty.setData("app.tessellon.tile", QByteArray());
    EXPECT_FALSE(TilePasteboard::entryID(&empty));
}

} // namespace
