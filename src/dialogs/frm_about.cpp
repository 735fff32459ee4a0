#include "dialogs/frm_about.h"

#include <QApplication>
#include <QFrame>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include "core/language.h"
#include "core/rounding.h"
#include "core/twips.h"
#include "dialogs/icons.h"
#include "platform/platform.h"

namespace orvane {

namespace {

const char* const kTitle = QT_TRANSLATE_NOOP("orvane::frmAbout", "オルヴァン");
const char* const kProduct = "Orvane";
const char* const kComment =
    QT_TRANSLATE_NOOP("orvane::frmAbout", "サブモニタの内容を別画面から確認出来ます");
const char* const kLegalNotice = "© 2026 The Orvane developers";

QFont NamedFont(const char* family, double points, bool bold = false, bool italic = false) {
    QFont f(QString::fromUtf8(family));
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

}  // namespace

QString VersionText(int major, int minor, int revision) {
    return QStringLiteral("Ver.%1.%2.%3 ").arg(major).arg(minor).arg(revision);
}

std::string WebLinkTarget(const std::string& site, const std::string& product) {
    return site + "cgi-bin/access.cgi?soft=" + product;
}

int TitleFontPoints(double labelWidthPx, double labelHeightPx, int characters, double dpiX, double dpiY) {
    const int byHeight = R(labelHeightPx * 72.0 / dpiY);
    const int perCharacter = R(labelWidthPx) / (characters + 1);
    const int byWidth = R(perCharacter * 72.0 / dpiX);
    return byWidth <= byHeight ? byWidth : byHeight;
}

int TitleShiftPx(double labelHeightPx, double pointsReadBack, double dpiY) {
    const double textHeight = pointsReadBack * dpiY / 72.0;
    return R((labelHeightPx - textHeight) / 2.0);
}

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
    // The hand whenever the pointer is over the link (Qt keeps it there,
    // no need to set it at every move).
    setCursor(Qt::PointingHandCursor);
    setColour(QColor(0, 0, 255));
}

void LinkLabel::setColour(QColor c) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, c);
    setPalette(p);
}

void LinkLabel::mousePressEvent(QMouseEvent* e) {
    setColour(QColor(255, 0, 0));
    QLabel::mousePressEvent(e);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* e) {
    setColour(QColor(0, 0, 255));
    QLabel::mouseReleaseEvent(e);
    if (rect().contains(e->position().toPoint())) emit clicked();
}

frmAbout::frmAbout(QWidget* owner, platform::Shell& shell) : QDialog(owner), shell_(shell) {
    const Twips t(this);
    setFixedSize(t.size(4200, 2880));

    Shape1 = new QFrame(this);
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setFrameShadow(QFrame::Sunken);
    Shape1->setGeometry(t.rect(60, 20, 4080, 960));

    picLargeIcon = new QLabel(this);
    picLargeIcon->setGeometry(t.rect(120, 60, 720, 720));
    picLargeIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The shadow copy first, so the title lies on top of it.
    const QRect titles[2] = {t.rect(960, 75, 2700, 435), t.rect(915, 60, 2700, 435)};
    const QPalette::ColorGroup groups[2] = {QPalette::Inactive, QPalette::Active};
    for (int i : {0, 1}) {
        lblTitle[i] = new QLabel(this);
        lblTitle[i]->setGeometry(titles[i]);
        lblTitle[i]->setFont(NamedFont("ＭＳ 明朝", 18, true));
        QPalette p = lblTitle[i]->palette();
        // Caption colours: the active one for the title, a quieter one for its shadow.
        p.setColor(QPalette::WindowText, i == 1 ? p.color(groups[i], QPalette::Highlight)
                                                : p.color(QPalette::Active, QPalette::Mid));
        lblTitle[i]->setPalette(p);
        titleGeometry_[i] = titles[i];
    }
    lblTitle[1]->raise();

    lblVersion = new QLabel(this);
    lblVersion->setGeometry(t.rect(3240, 360, 795, 195));
    lblVersion->setFont(NamedFont("ＭＳ Ｐゴシック", 9, false, true));
    lblCopyright = new QLabel(this);
    lblCopyright->setGeometry(t.rect(1200, 540, 2835, 195));
    lblCopyright->setFont(NamedFont("ＭＳ Ｐゴシック", 9, true));
    lblComment = new QLabel(this);
    lblComment->setGeometry(t.rect(180, 1080, 3855, 555));
    lblComment->setWordWrap(true);

    const char* const captions[2] = {QT_TR_NOOP("公開HP"), QT_TR_NOOP("作者へメール")};
    const int widths[2] = {675, 1155};
    for (int i : {0, 1}) {
        Label1[i] = new QLabel(tr(captions[i]), this);
        Label1[i]->setGeometry(t.rect(173, 1740 + 300 * i, widths[i], 255));
        // A translated caption may take the room up to its link.
        if (InterfaceIsTranslated()) Label1[i]->resize(t.x(1530 - 173), Label1[i]->height());
    }
    QFont link = NamedFont("ＭＳ Ｐゴシック", 9);
    link.setUnderline(true);
    // The links reach to the box's margin: addresses are wider in today's
    // fonts than in the ones the layout was drawn for.
    lblURL = new LinkLabel(this);
    lblURL->setGeometry(t.rect(1530, 1740, 2550, 255));
    lblURL->setFont(link);
    lblURL->setToolTip(tr("最新版のチェックはこちら。"));
    connect(lblURL, &LinkLabel::clicked, this, [this] { lblURL_Click(); });
    lblEmail = new LinkLabel(this);
    lblEmail->setGeometry(t.rect(1530, 2040, 2550, 255));
    lblEmail->setFont(link);
    lblEmail->setToolTip(tr("ご意見ご感想をお聞かせ下さい。"));
    connect(lblEmail, &LinkLabel::clicked, this, [this] { lblEmail_Click(); });

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(t.rect(1493, 2400, 1215, 435));
    cmdOK->setToolTip(tr("この画面を閉じます。"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(this, &QDialog::finished, this, [this] { Form_Unload(); });
}

void frmAbout::Form_Load() {
    lblURL->setText(QStringLiteral(ORVANE_WEB_SITE));
    lblEmail->setText(QStringLiteral(ORVANE_EMAIL));
    const QString title = tr(kTitle);
    setWindowTitle(tr("%1 - バージョン情報").arg(title));
    for (int i : {0, 1}) lblTitle[i]->setGeometry(titleGeometry_[i]);  // fitted anew each time
    FitTitleCaption(lblTitle[0], title);
    FitTitleCaption(lblTitle[1], title);
    lblVersion->setText(VersionText(ORVANE_VERSION_MAJOR, ORVANE_VERSION_MINOR, ORVANE_VERSION_PATCH));
    lblCopyright->setText(QString::fromUtf8(kLegalNotice));
    lblComment->setText(tr(kComment));
    const QIcon icon = ProgramIcon();
    LargeIcon = icon.pixmap(48, 48);
    SmallIcon = QIcon(icon.pixmap(16, 16));
    picLargeIcon->setPixmap(LargeIcon);
    setWindowIcon(SmallIcon);
    cmdOK->setFocus();
}

void frmAbout::Form_Unload() {
    LargeIcon = QPixmap();
    SmallIcon = QIcon();
    picLargeIcon->clear();
}

void frmAbout::cmdOK_Click() { accept(); }

void frmAbout::lblURL_Click() { shell_.openLink(WebLinkTarget(ORVANE_WEB_SITE, kProduct)); }

void frmAbout::lblEmail_Click() { shell_.openLink(ORVANE_EMAIL); }

void frmAbout::FitTitleCaption(QLabel* Label, const QString& Text) {
    const QScreen* s = screen();
    const double dpiX = s ? s->logicalDotsPerInchX() : 96.0;
    const double dpiY = s ? s->logicalDotsPerInchY() : 96.0;
    QFont f = Label->font();
    f.setPointSize(std::max(
        1, TitleFontPoints(Label->width(), Label->height(), static_cast<int>(Text.size()), dpiX, dpiY)));
    Label->setFont(f);
    Label->move(Label->x(), Label->y() + TitleShiftPx(Label->height(), Label->font().pointSizeF(), dpiY));
    Label->setText(Text);
}

}  // namespace orvane
