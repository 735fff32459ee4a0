// The Wayland backend's rules that need no compositor: what it needs of one,
// reading frames in the formats compositors offer, and finding the program's
// window in sway's tree.
#ifdef ORVANE_HAS_WAYLAND
#include <gtest/gtest.h>
#include <wayland-client-protocol.h>

#include "platform/wayland/sway_ipc.h"
#include "platform/wayland/capture.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_modes.h"

namespace orvane::platform::wayland {
namespace {

TEST(WaylandRules, WhatOrvaneNeedsFromACompositor) {
    std::set<std::string> wlroots{"wl_output", "wl_shm", "zxdg_output_manager_v1", "zwlr_screencopy_manager_v1",
                                  "zwlr_virtual_pointer_manager_v1"};
    for (const std::string& missing : wlroots) {
        std::set<std::string> less = wlroots;
        less.erase(missing);
        EXPECT_FALSE(offersWhatOrvaneNeeds(less)) << "without " << missing;
    }
    // Capture through image copy capture instead: both of its managers.
    wlroots.erase("zwlr_screencopy_manager_v1");
    wlroots.insert("ext_image_copy_capture_manager_v1");
    EXPECT_FALSE(offersWhatOrvaneNeeds(wlroots)) << "sessions need sources";
    wlroots.insert("ext_output_image_capture_source_manager_v1");
    EXPECT_TRUE(offersWhatOrvaneNeeds(wlroots));
}

TEST(WaylandRules, FramesReadInEveryByteOrderAndUpright) {
    // Two pixels a row in a padded stride: red, green; blue, white. XRGB is B, G, R, X in memory, XBGR R, G, B, X.
    for (const auto& [format, rgbOrder] : {std::pair{WL_SHM_FORMAT_XRGB8888, false}, {WL_SHM_FORMAT_ARGB8888, false},
                                           {WL_SHM_FORMAT_XBGR8888, true}, {WL_SHM_FORMAT_ABGR8888, true}}) {
        std::vector<uchar> bytes(2 * 12, 0xff);
        const uchar rgb[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
        for (int i = 0; i < 4; ++i)
            for (int c = 0; c < 3; ++c) bytes[(i / 2) * 12 + (i % 2) * 4 + (rgbOrder ? c : 2 - c)] = rgb[i][c];
        const QImage upright = frameImage(bytes.data(), format, 2, 2, 12, false).copy();
        ASSERT_EQ(upright.size(), QSize(2, 2)) << format;
        EXPECT_EQ(upright.pixel(1, 0) & 0xffffff, 0x00ff00u) << format;
        EXPECT_EQ(upright.pixel(0, 1) & 0xffffff, 0x0000ffu) << format;
        const QImage flipped = frameImage(bytes.data(), format, 2, 2, 12, true).copy();  // bottom-up
        EXPECT_EQ(flipped.pixel(0, 0) & 0xffffff, 0x0000ffu) << format;
    }
    const std::vector<uchar> bytes(24, 0);
    EXPECT_TRUE(frameImage(bytes.data(), WL_SHM_FORMAT_RGB565, 2, 2, 12, false).isNull()) << "unreadable: none";
}

TEST(WaylandRules, AModeIsFoundBySizeAndRefresh) {
    // A television's list: 60 Hz and 59.94 Hz of one size, then a smaller size.
    const std::vector<ModeFacts> modes{{1920, 1080, 60000}, {1920, 1080, 59940}, {1280, 720, 60000}};
    std::vector<DisplayMode> listed;
    for (const ModeFacts& m : modes) listed.push_back(displayModeOf(m));
    EXPECT_EQ(listed[1].frequency, 60u) << "rounded as the lists show it";
    // A listed mode finds itself, to the millihertz; a stored setting, by rounded refresh, the first of them.
    for (std::size_t i = 0; i < listed.size(); ++i) EXPECT_EQ(matchingMode(modes, listed[i]), static_cast<int>(i));
    EXPECT_EQ(matchingMode(modes, DisplayMode{1920, 1080, 0, 60, 0}), 0) << "no depth asked: any";
    EXPECT_EQ(matchingMode(modes, DisplayMode{1920, 1080, 16, 60, 0}), -1) << "Wayland shows 32 bits only";
    EXPECT_EQ(matchingMode(modes, DisplayMode{1280, 720, 32, 50, 0}), -1);
    // Still showing a mode: a refresh changed alone is another mode.
    EXPECT_FALSE(showsMode(listed[1], listed[0]));
    EXPECT_TRUE(showsMode(listed[1], DisplayMode{1920, 1080, 32, 60, 0})) << "asked by rounded refresh";
    EXPECT_FALSE(showsMode(listed[0], DisplayMode{1920, 1080, 32, 75, 0}));
}

TEST(WaylandRules, TheProgramsWindowInSwaysTree) {
    // The shape of a GET_TREE reply, cut down: a tiled window of another
    // program, two of ours (the main window tiled, a dialog floating).
    const QByteArray tree = R"({"id":1,"type":"root","rect":{"x":0,"y":0,"width":3840,"height":1080},"nodes":[
      {"id":3,"type":"output","name":"HEADLESS-1","nodes":[{"id":4,"type":"workspace","nodes":[
        {"id":7,"name":"picture","pid":900,"visible":true,"rect":{"x":0,"y":0,"width":960,"height":1080},
         "window_rect":{"x":0,"y":0,"width":960,"height":1080}},
        {"id":8,"name":"オルヴァン","pid":1234,"visible":true,"rect":{"x":960,"y":0,"width":960,"height":1080},
         "window_rect":{"x":2,"y":24,"width":956,"height":1054}}],
        "floating_nodes":[{"id":9,"name":"表示設定","pid":1234,"visible":true,
         "rect":{"x":1200,"y":300,"width":400,"height":300},"window_rect":{"x":0,"y":0,"width":400,"height":300}}]}]}]})";
    EXPECT_EQ(windowRectInTree(tree, 1234, QStringLiteral("オルヴァン")), QRect(962, 24, 956, 1054));
    EXPECT_EQ(windowRectInTree(tree, 1234, QStringLiteral("表示設定")), QRect(1200, 300, 400, 300));
    EXPECT_EQ(windowRectInTree(tree, 1234, QStringLiteral("renamed")), QRect(962, 24, 956, 1054)) << "any of ours";
    EXPECT_EQ(windowRectInTree(tree, 4321, QStringLiteral("オルヴァン")), std::nullopt);
    EXPECT_EQ(windowRectInTree("not json", 1234, QStringLiteral("オルヴァン")), std::nullopt);
    EXPECT_EQ(swayRequest("/nonexistent/sway-ipc.sock", 4, {}), std::nullopt);
}

}  // namespace
}  // namespace orvane::platform::wayland
#endif
