// frmAbout, the About box: the program's icon, title, version, legal notice
// and comment, and links to the web site and the author's e-mail address.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QLabel>
#include <array>
#include <string>

class QFrame;
class QPushButton;

namespace orvane {

namespace platform {
class Shell;
}

// The version label's text: "Ver." and the three numbers, then one blank.
QString VersionText(int major, int minor, int revision);
// Where the web link leads: the site address and the access counter's path
// with the product name.
std::string WebLinkTarget(const std::string& site, const std::string& product);

// The font size a one-line title gets in a label, and how far the label
// moves down so the text sits in the middle of the box it had.
struct TitleFit {
    int points = 0;
    int shiftPx = 0;
};
// The size is the smaller of what the label's height and its width per
// character (characters + 1) allow; shift = (height - text height) / 2,
// with the text height of `pointsReadBack` (the size the font really took).
int TitleFontPoints(double labelWidthPx, double labelHeightPx, int characters, double dpiX, double dpiY);
int TitleShiftPx(double labelHeightPx, double pointsReadBack, double dpiY);

// A label that opens a link: red while pressed, blue otherwise, the hand
// pointer over it, and a click (press and release on it) to open.
class LinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit LinkLabel(QWidget* parent);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void setColour(QColor c);
};

class frmAbout : public QDialog {
    Q_OBJECT

public:
    frmAbout(QWidget* owner, platform::Shell& shell);

    void Form_Load();
    void Form_Unload();
    void cmdOK_Click();
    void lblURL_Click();
    void lblEmail_Click();
    // Fits Text into Label as a one-line title (see TitleFontPoints).
    void FitTitleCaption(QLabel* Label, const QString& Text);

    QLabel* picLargeIcon = nullptr;
    std::array<QLabel*, 2> lblTitle{};
    QLabel* lblVersion = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* lblComment = nullptr;
    std::array<QLabel*, 2> Label1{};
    LinkLabel* lblURL = nullptr;
    LinkLabel* lblEmail = nullptr;
    QPushButton* cmdOK = nullptr;
    QFrame* Shape1 = nullptr;
    // The icons made at each opening and dropped at each closing.
    QPixmap LargeIcon;
    QIcon SmallIcon;

private:
    platform::Shell& shell_;
    std::array<QRect, 2> titleGeometry_{};  // the labels' boxes before fitting
};

}  // namespace orvane
