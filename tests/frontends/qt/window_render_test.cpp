// The main window on Qt's offscreen platform: places, captions and colours of the controls, the
// reel window drawn from the scene, captions that fit their labels, and the modal message box.
// Run once per zoom (QT_SCALE_FACTOR, RL00_ZOOM); the rendered window is saved as
// gui/window_zoom<N>.png and, with the longest reach name, gui/window_long_reach_zoom<N>.png in
// the build folder.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "frontends/qt/fit_label.h"
#include "frontends/qt/form_center.h"
#include "frontends/qt/main_window.h"
#include "frontends/qt/qt_display.h"
#include "frontends/qt/reel_view.h"
#include "frontends/qt/window_program.h"
#include "machine/machine.h"
#include "machine/texts.h"
#include "session/window_layout.h"

namespace rl00 {
namespace {

int zoom() {
    const char* z = std::getenv("RL00_ZOOM");
    return z != nullptr ? std::atoi(z) : 1;
}

struct WindowFixture : ::testing::Test {
    QtDisplay display;
    Machine m{display, 1};
    std::unique_ptr<MainWindow> window;

    void SetUp() override {
        initWindowScene(m.scene);
        auto place = [&](PictureId id, Int16 image, Int32 left, Int32 top) {
            Picture& p = m.scene.picture(id);
            p.image = image;
            p.left = left;
            p.top = top;
            p.stretch = true;
            p.visible = true;
        };
        place(reelPicture(1, 1), 1, 40, 50);
        place(reelPicture(2, 7), 7, 500, 50);
        place(reelPicture(3, 14), 14, 960, 500);  // reaches below the reel window
        place(kImgHandL, 15, 240, 0);
        m.scene.picture(kImgObake).visible = false;
        m.scene.picture(kImgHandR).visible = false;
        m.scene.Lbl_Rich[1].caption = "あたり";
        window = std::make_unique<MainWindow>(m, display);
        display.attach(window.get());
        window->syncFromScene(0.0);
        window->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override { display.attach(nullptr); }

    QImage shot() {
        window->syncFromScene(0.0);
        window->reelView().paintNow();
        return window->grab().toImage();
    }
    // The colour at a place in twips of the client area.
    static QColor at(const QImage& img, double x_twips, double y_twips) {
        const double scale = img.width() / (kFormWidth / double(kTwipsPerPixel));
        return img.pixelColor(int(x_twips / kTwipsPerPixel * scale),
                              int(y_twips / kTwipsPerPixel * scale));
    }
    QString text(std::string_view name, int index = -1) {
        return static_cast<QLabel*>(window->control(name, index))->text();
    }
};

TEST_F(WindowFixture, ControlsSitAtTheirTwipPlaces) {
    EXPECT_EQ(window->size(), QSize(366, 313));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("CRフォグランタン"));
    EXPECT_EQ(window->control("Pic_Window01")->geometry(), QRect(0, 16, 105, 41));
    EXPECT_EQ(window->control("Lbl_SyriMode")->geometry(), QRect(0, 0, 105, 17));
    EXPECT_EQ(window->control("Lbl_RichSyuA", 9)->geometry(), QRect(328, 160, 33, 17));
    EXPECT_EQ(window->control("Lbl_GHYokoku", 1)->geometry(), QRect(60, 168, 33, 17));
    EXPECT_EQ(window->control("Cmd_End")->geometry(), QRect(280, 184, 81, 25));
    EXPECT_FALSE(window->rect().intersects(window->control("Com_Start")->geometry()));
    for (int i = 0; i < kAboutLabels; ++i)
        EXPECT_FALSE(text("Lbl_About", i).isEmpty());
    EXPECT_EQ(window->control("Lbl_Rich", 1)->font().pixelSize(), 11);
    EXPECT_TRUE(window->control("Lbl_SyriMode")->font().bold());
    EXPECT_EQ(window->control("Lbl_Rev", 0)->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
}

TEST_F(WindowFixture, LabelsShowTheSceneAndFollowIt) {
    EXPECT_EQ(text("Lbl_Rich", 1), QStringLiteral("あたり"));
    EXPECT_EQ(text("Lbl_RichSyu", 2), QStringLiteral("右ｵﾊﾞｹ"));
    EXPECT_EQ(text("Lbl_RichSyuND", 9), QStringLiteral("0"));

    m.scene.Lbl_Rev[1].caption = "12";
    m.scene.Lbl_SyriMode.caption = "確変中!!";
    m.scene.Lbl_SyriMode.fore = kBlue;
    window->syncFromScene(0.0);
    EXPECT_EQ(text("Lbl_Rev", 1), QStringLiteral("12"));
    EXPECT_EQ(text("Lbl_SyriMode"), QStringLiteral("確変中!!"));
    EXPECT_EQ(window->control("Lbl_SyriMode")->palette().color(QPalette::WindowText),
              QColor(0, 0, 255));
}

TEST_F(WindowFixture, RendersCellsAndTheReelWindow) {
    const QImage img = shot();
    const QString dir = QStringLiteral(RL00_BUILD_DIR "/gui");
    QDir().mkpath(dir);
    ASSERT_TRUE(img.save(QStringLiteral("%1/window_zoom%2.png").arg(dir).arg(zoom())));
    EXPECT_EQ(img.width(), 366 * zoom());

    // Grey cells and ordinary value cells, sampled away from their text and border.
    EXPECT_EQ(at(img, 4320 + 60, 240 + 240 * 8 + 120), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(at(img, 3600 + 60, 240 + 240 * 2 + 120), QColor(0, 0, 0));
    EXPECT_EQ(at(img, 1500 + 20, 1920 + 240), QColor(0, 255, 0));      // 通
    EXPECT_EQ(at(img, 2880 + 560, 240 + 120), QColor(255, 255, 192));  // light yellow

    // The reel window: the window top is 240 twips down the client area.
    const double top = 240;
    EXPECT_NE(at(img, 500 + 240, top + 290), QColor(0, 0, 0));  // symbol 7 is drawn
    EXPECT_EQ(at(img, 1400, top + 300), QColor(0, 0, 0));       // nothing there
    const QColor hand = at(img, 464, top + 301);
    EXPECT_EQ(hand, QColor(0xf8, 0xc8, 0xa0));  // the hand lies above reel 1's symbol
    EXPECT_EQ(at(img, 960 + 240, top + 700), QColor(0, 0, 0));  // clipped at the window's foot

    m.scene.bringToFront(reelPicture(1, 1));
    m.scene.picture(reelPicture(2, 7)).visible = false;
    m.scene.window_back = kWhite;
    const QImage after = shot();
    EXPECT_NE(at(after, 464, top + 301), hand);
    EXPECT_EQ(at(after, 500 + 240, top + 290), QColor(255, 255, 255));
}

// Every text the window can show in a label, at this zoom: the design captions, what the game
// writes under and above the reels, and counters up to the largest 32-bit value.
TEST_F(WindowFixture, EveryCaptionFitsItsLabel) {
    auto fits = [&](std::string_view name, int index, const char* caption) {
        auto* label = static_cast<FitLabel*>(window->control(name, index));
        label->setText(QString::fromUtf8(caption));
        EXPECT_LE(label->drawnTextWidth(), label->textRect().width() + 1e-9)
            << name << "(" << index << ") " << caption;
        return label->textScale();
    };
    for (const ControlDesign& c : windowControls()) {
        if (c.kind != ControlKind::Label || c.name == "Lbl_About") continue;
        fits(c.name, c.index, std::string(c.caption).c_str());
        if (c.caption == "0") fits(c.name, c.index, "2147483647");
    }
    for (const char* t : {text::kNormal, text::kNormalReturn, text::kRightGhost, text::kRightSuper,
                          text::kRightReturnRun, text::kRightReturn, text::kLeftGhost,
                          text::kLeftSuper, text::kHand, text::kFlash, text::kFlashFrames})
        fits("Lbl_Rich", 1, t);
    // What fits keeps its look.
    EXPECT_EQ(fits("Lbl_Rich", 1, text::kHit), 1.0);
    EXPECT_EQ(fits("Lbl_SyriMode", -1, text::kKakuhenMode), 1.0);
}

// How much green ink each column of an image holds.
std::vector<double> columnInk(const QImage& img) {
    std::vector<double> ink(static_cast<std::size_t>(img.width()), 0.0);
    for (int x = 0; x < img.width(); ++x) {
        for (int y = 0; y < img.height(); ++y)
            ink[static_cast<std::size_t>(x)] += img.pixelColor(x, y).greenF();
    }
    return ink;
}

double correlation(std::vector<double> a, std::vector<double> b) {
    auto centre = [](std::vector<double>& v) {
        const double mean = std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
        for (double& x : v)
            x -= mean;
    };
    centre(a);
    centre(b);
    const double ab = std::inner_product(a.begin(), a.end(), b.begin(), 0.0);
    return ab / std::sqrt(std::inner_product(a.begin(), a.end(), a.begin(), 0.0) *
                          std::inner_product(b.begin(), b.end(), b.begin(), 0.0));
}

// The fault: the end of a long reach name cut off at the label's edge. The columns of ink must
// follow the whole text squeezed into the room, not its beginning at full width. (A plain
// QLabel correlates above 0.8 with the cut text and below 0.2 with the squeezed one.)
TEST_F(WindowFixture, LongCaptionsAreCondensedWholeInsteadOfCut) {
    auto* label = static_cast<FitLabel*>(window->control("Lbl_Rich", 1));
    for (const char* caption : {text::kRightSuper, text::kFlashFrames, text::kRightReturn}) {
        m.scene.Lbl_Rich[1].caption = caption;
        window->syncFromScene(0.0);
        ASSERT_LT(label->textScale(), 1.0) << caption;
        const QImage shown = label->grab().toImage();
        const double dpr = shown.devicePixelRatio();

        // The text at full width in a label wide enough for it, in device pixels; then cut at
        // the real label's edge, and squeezed into its room.
        FitLabel wide(label->text());
        wide.setFont(label->font());
        wide.setPalette(label->palette());
        wide.setAutoFillBackground(true);
        wide.setFrameStyle(label->frameStyle());
        wide.resize(label->width() * 2, label->height());
        QImage full = wide.grab().toImage();
        full.setDevicePixelRatio(1.0);
        const QRect room = label->textRect();
        const int left = int(room.left() * dpr);
        const int natural = int(std::ceil(label->drawnTextWidth() / label->textScale() * dpr));
        const QImage cut = full.copy(0, 0, shown.width(), shown.height());
        QImage squeezed = cut;
        QPainter p(&squeezed);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.fillRect(QRect(left, 0, shown.width() - left, shown.height()), Qt::black);
        p.drawImage(QRect(left, 0, int(room.width() * dpr), shown.height()),
                    full.copy(left, 0, natural, full.height()));
        p.end();

        EXPECT_GT(correlation(columnInk(shown), columnInk(squeezed)), 0.5) << caption;
        EXPECT_LT(correlation(columnInk(shown), columnInk(cut)), 0.3) << caption;

        // The squeezed caption ("...!!") keeps clear of the frame on the right, as on the left:
        // at least one pixel of background between its last green column and the frame.
        int last_text = -1;
        for (int x = 0; x < shown.width(); ++x) {
            for (int y = 0; y < shown.height(); ++y) {
                const QColor c = shown.pixelColor(x, y);
                if (c.greenF() > 0.25 && c.redF() < 0.1 && c.blueF() < 0.1) last_text = x;
            }
        }
        const int frame = static_cast<int>(std::lround(dpr));
        EXPECT_LE(last_text, shown.width() - 1 - 2 * frame) << caption;
    }
    // The longest of them, for a look at the whole window.
    window->grab().save(
        QStringLiteral(RL00_BUILD_DIR "/gui/window_long_reach_zoom%1.png").arg(zoom()));
}

TEST_F(WindowFixture, FormCenterRecordsTheWorkingDirectoryAndCentresTheWindow) {
    m.G_sAppPath = "/elsewhere";
    FORM_CENTER(m, *window, QString());
    EXPECT_EQ(m.G_sAppPath, QDir::currentPath().toStdString());
    const QRect screen = window->screen()->geometry();
    const QRect placed(window->pos(), window->size());
    EXPECT_LE(std::abs(placed.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(placed.center().y() - screen.center().y()), 1);
}

// What a modal message showed, and the answer given to it.
struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Shows a message through the Display and presses the button whose text starts with `press`.
std::pair<Int32, ShownBox> answer(QtDisplay& display, const std::string& text, Int32 style,
                                  const QString& press) {
    ShownBox shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QMessageBox* box = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* b = qobject_cast<QMessageBox*>(w); b != nullptr && b->isVisible()) box = b;
        }
        if (box == nullptr) return;
        poll.stop();
        shown.title = box->windowTitle();
        shown.text = box->text();
        shown.icon = box->icon();
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            shown.buttons << b->text();
            if (b->text().startsWith(press)) chosen = b;
        }
        // Without the wanted button any press ends the modal loop; the caller sees the texts.
        (chosen != nullptr ? chosen : box->buttons().constLast())->click();
    });
    poll.start(5);
    const Int32 result = display.messageBox(text, " 選択", style);
    return {result, shown};
}

TEST_F(WindowFixture, MessageBoxTakesIconAndButtonsFromTheStyleAndAnswersInResultCodes) {
    // The modal loop processes events: neither the idle loop nor a game may start inside it.
    window->setIdleEntry([] {});
    m.scene.Tim_Start.enabled = false;
    window->syncFromScene(0.0);

    auto [yes, yes_box] = answer(display, "続けますか", 4 + 32, QStringLiteral("はい"));
    EXPECT_EQ(yes, 6);
    EXPECT_EQ(yes_box.title, QStringLiteral(" 選択"));
    EXPECT_EQ(yes_box.icon, QMessageBox::Question);
    ASSERT_EQ(yes_box.buttons.size(), 2);
    EXPECT_TRUE(yes_box.buttons.contains(QStringLiteral("はい(&Y)")));
    EXPECT_TRUE(yes_box.buttons.contains(QStringLiteral("いいえ(&N)")));
    EXPECT_EQ(answer(display, "続けますか", 4 + 32, QStringLiteral("いいえ")).first, 7);

    auto [ok, ok_box] = answer(display, "システムエラーが発生しました\r6 :オーバーフローしました。",
                               16, QStringLiteral("OK"));
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(ok_box.icon, QMessageBox::Critical);
    EXPECT_EQ(ok_box.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(ok_box.text,
              QStringLiteral("システムエラーが発生しました\n6 :オーバーフローしました。"));

    EXPECT_EQ(answer(display, "", 48, QStringLiteral("OK")).second.icon, QMessageBox::Warning);
    EXPECT_EQ(answer(display, "", 64, QStringLiteral("OK")).second.icon, QMessageBox::Information);
}

}  // namespace
}  // namespace rl00

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    rl00::installFontSubstitutes();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
