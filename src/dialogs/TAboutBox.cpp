#include "dialogs/TAboutBox.h"

#include "dialogs/AboutPictures.h"
#include "dialogs/MessageBox.h"
#include "dialogs/SystemReport.h"
#include "platform/Clock.h"
#include "platform/ProgramVersion.h"
#include "platform/Regional.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontInfo>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

namespace {
// The maker's addresses. A build may name its own home page (QUILLMAR_WEB_ADDRESS).
constexpr const char* kHomePage = "https://quillmar.example.org/";
constexpr const char* kMail = "quillmar@example.org";
// The clock labels' numbers in the clock's order (the minutes' and seconds' 1 bits came last).
constexpr int kClockLabelNumbers[BinaryClock::kBitCount] = {0, 1,  2,  3,  4,  5,  6,  7, 8,
                                                            9, 15, 10, 11, 12, 13, 14, 16};

TAboutBox::UrlOpener& urlOpener()
{
    static TAboutBox::UrlOpener opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return opener;
}
} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setFixedSize(292, 378);
    setAutoFillBackground(true);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 292, 153);
    Image1->setPixmap(AboutPictures::topPicture(QSize(292, 153), devicePixelRatioF()));

    ProgramIcon2 = new QLabel(this);
    ProgramIcon2->setObjectName(QStringLiteral("ProgramIcon2"));
    ProgramIcon2->setGeometry(19, 20, 32, 32);

    ProductName = label(QString(), QRect(60, 18, 170, 22), "ProductName");
    {
        QFont f = ProductName->font();
        f.setBold(true);
        ProductName->setFont(f);
    }
    LblVersion = label(QStringLiteral("Version"), QRect(60, 44, 70, 18), "LblVersion");
    VersNo = label(QString(), QRect(135, 44, 95, 18), "VersNo");
    ReleaseLbl = label(QStringLiteral("Release"), QRect(60, 62, 70, 18), "ReleaseLbl");
    Release = label(QString(), QRect(135, 62, 95, 18), "Release");
    BuildL = label(QStringLiteral("Build"), QRect(60, 80, 70, 18), "BuildL");
    Build = label(QString(), QRect(135, 80, 95, 18), "Build");
    LblCopyRight_Text = label(QStringLiteral("Copyright"), QRect(19, 108, 80, 18), "LblCopyRight_Text");
    LblCopyright = label(QString(), QRect(19, 128, 14, 18), "LblCopyright");
    Copyright = label(QString(), QRect(35, 128, 250, 18), "Copyright");

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Sunken);
    Panel2->setGeometry(5, 159, 282, 131);
    Panel1 = new QWidget(Panel2);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(2, 2, 278, 127);
    Comments = new QLabel(Panel1);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setGeometry(0, 0, 258, 350);
    Comments->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    Comments->setWordWrap(true);
    Comments->setToolTip(QStringLiteral("Drag to scroll"));
    Comments->setAutoFillBackground(true);
    {
        QFont f(QStringLiteral("MS Sans Serif"));
        f.setPointSize(8);
        Comments->setFont(f);
        QPalette p = Comments->palette();
        p.setColor(QPalette::Window, Qt::white);
        p.setColor(QPalette::WindowText, Qt::black);
        Comments->setPalette(p);
    }
    Comments->installEventFilter(this);

    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setGeometry(238, 26, 50, 111);
    Panel3->setAutoFillBackground(true);
    QFont clockFont = font();
    clockFont.setPixelSize(9);
    const char* heads[] = {"H", "M", "S"};
    for (int col = 0; col < 3; ++col) {
        auto* head = new QLabel(QString::fromLatin1(heads[col]), Panel3);
        head->setFont(clockFont);
        head->setAlignment(Qt::AlignCenter);
        head->setGeometry(1 + col * 16, 1, 15, 14);
    }
    for (int i = 0; i < BinaryClock::kBitCount; ++i) {
        auto* bit = new QLabel(BinaryClock::caption(i), Panel3);
        bit->setObjectName(QStringLiteral("Label%1").arg(kClockLabelNumbers[i]));
        bit->setFont(clockFont);
        bit->setAlignment(Qt::AlignCenter);
        bit->setAutoFillBackground(true);
        // The weight 1 at the top, the highest weight at the bottom.
        int row = 0;
        for (int w = BinaryClock::weight(i); w > 1; w /= 2)
            ++row;
        bit->setGeometry(1 + BinaryClock::column(i) * 16, 16 + row * 15, 15, 14);
        m_clockLabels[size_t(i)] = bit;
    }

    Lblexplaindrag = label(QStringLiteral("Left mouse click on text to drag window!"), QRect(6, 292, 282, 16),
                           "Lblexplaindrag");
    LblTextURL = label(QStringLiteral("Ideas and error reports: mail us!\nNews and help on the web site:"),
                       QRect(6, 308, 282, 32), "LblTextURL");
    LblHomepage = label(QString(), QRect(6, 342, 200, 16), "LblHomepage");
    LblMail = label(QStringLiteral("Mail me!"), QRect(6, 358, 120, 16), "LblMail");
    for (QLabel* link : {LblHomepage, LblMail}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setTextFormat(Qt::PlainText);
        QFont f = link->font();
        f.setUnderline(true);
        link->setFont(f);
        link->installEventFilter(this);
    }
    LblHomepage->setText(QUrl(homePageAddress()).host());

    SpeedButton2 = new QToolButton(this);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setAutoRaise(true);
    SpeedButton2->setIcon(style()->standardIcon(QStyle::SP_DriveHDIcon));
    SpeedButton2->setToolTip(QStringLiteral("show hardisk preferences"));
    SpeedButton2->setGeometry(228, 346, 26, 26);
    connect(SpeedButton2, &QToolButton::clicked, this, &TAboutBox::SpeedButton2Click);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    SpeedButton1->setToolTip(QStringLiteral("Close About Box"));
    SpeedButton1->setGeometry(258, 346, 26, 26);
    connect(SpeedButton1, &QToolButton::clicked, this, &TAboutBox::SpeedButton1Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TAboutBox::Timer1Timer);
    Timer1->start();

    FormCreate();
}

TAboutBox::~TAboutBox()
{
    if (m_dragging)
        QGuiApplication::restoreOverrideCursor();
}

QLabel* TAboutBox::label(const QString& text, const QRect& geometry, const char* name)
{
    auto* l = new QLabel(text, this);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}

QString TAboutBox::homePageAddress()
{
    const QString built = QStringLiteral(QUILLMAR_WEB_ADDRESS);
    if (built.isEmpty())
        return QString::fromLatin1(kHomePage);
    return built.contains(QLatin1String("://")) ? built : QStringLiteral("https://") + built;
}

QString TAboutBox::mailAddress()
{
    return QString::fromLatin1(kMail);
}

void TAboutBox::setUrlOpener(UrlOpener opener)
{
    urlOpener() = opener ? std::move(opener) : [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

QString TAboutBox::programFileName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

const QColor& TAboutBox::litColor()
{
    static const QColor silver(192, 192, 192);
    return silver;
}

const QColor& TAboutBox::unlitColor()
{
    static const QColor navy(0, 0, 128);
    return navy;
}

void TAboutBox::FormCreate()
{
    m_programPath = QCoreApplication::applicationFilePath();
    const std::array<int, 4> version = ProgramVersion::current();
    ProductName->setText(programFileName());
    VersNo->setText(QStringLiteral("%1.%2").arg(version[0]).arg(version[1]));
    Release->setText(QString::number(version[2]));
    Build->setText(QString::number(version[3]));
    LblCopyright->setText(QStringLiteral("\u00A9"));
}

void TAboutBox::setBackground(bool useBackBMP, const QPixmap& backBMP, const QColor& backCol)
{
    m_useBackBMP = useBackBMP;
    m_backBMP = backBMP;
    m_backCol = backCol;
}

void TAboutBox::setFormLook(const QFont& font, const QColor& fontColor, const QColor& formColor)
{
    setFont(font);
    QPalette p = palette();
    p.setColor(QPalette::Window, formColor);
    p.setColor(QPalette::WindowText, fontColor);
    setPalette(p);
    // The credits keep their own font and colours.
    QFont commentsFont(QStringLiteral("MS Sans Serif"));
    commentsFont.setPointSize(8);
    Comments->setFont(commentsFont);
    QFont clockFont = font;
    clockFont.setPixelSize(9);
    for (QLabel* l : Panel3->findChildren<QLabel*>())
        l->setFont(clockFont);
    // The hint is one line of the box's width.
    QFont hintFont = font;
    hintFont.setPixelSize(std::min(QFontInfo(font).pixelSize(), 11));
    Lblexplaindrag->setFont(hintFont);
}

void TAboutBox::setProductName(const QString& name)
{
    ProductName->setText(name);
}

void TAboutBox::setCopyright(const QString& text)
{
    Copyright->setText(text);
}

void TAboutBox::setComments(const QStringList& lines)
{
    Comments->setText(lines.join(QLatin1Char('\n')));
}

void TAboutBox::setSystemFacts(const SystemFacts& facts)
{
    m_facts = facts;
}

void TAboutBox::setProgramIcon(const QIcon& icon)
{
    ProgramIcon2->setPixmap(icon.pixmap(32, 32));
}

QRect TAboutBox::creditsGeometry() const
{
    return Panel2->geometry();
}

void TAboutBox::hideStaticCredits()
{
    Panel2->resize(0, Panel2->height());
    Comments->resize(std::max(Panel2->width() - 5, 0), Comments->height());
    Panel1->resize(Panel2->width(), Panel1->height());
}

QString TAboutBox::systemReport() const
{
    return SystemReport::text(m_facts);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TAboutBox::FormActivate()
{
    const int inner = std::max(Panel2->width() - 18, 0);
    Comments->resize(inner, Comments->height());
    Panel1->resize(inner, Panel1->height());
    Panel2->move(4, Panel2->y());
    Comments->move(0, Comments->y());
    QPalette p = Panel3->palette();
    p.setColor(QPalette::Window, m_backCol);
    Panel3->setPalette(p);
    // The clock shows the time from the moment the box opens, not only from the first tick.
    showClock();
}

void TAboutBox::paintEvent(QPaintEvent* event)
{
    if (!m_useBackBMP) {
        Image1->show();
        QDialog::paintEvent(event);
        return;
    }
    QPainter p(this);
    p.fillRect(rect(), m_backBMP.isNull() ? QBrush(AboutPictures::backgroundPattern()) : QBrush(m_backBMP));
    Image1->hide();
}

void TAboutBox::Timer1Timer()
{
    setWindowTitle(QStringLiteral("About box for: ") + programFileName() + QStringLiteral("! Time: ") +
                   Regional::timeToText(Clock::now().time()));
    showClock();
}

void TAboutBox::showClock()
{
    const std::array<bool, BinaryClock::kBitCount> lit = BinaryClock::bits(Clock::now().time());
    for (size_t i = 0; i < lit.size(); ++i) {
        QPalette p = m_clockLabels[i]->palette();
        p.setColor(QPalette::Window, lit[i] ? litColor() : unlitColor());
        m_clockLabels[i]->setPalette(p);
    }
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Comments) {
        // Only a mouse event may be taken as one: the label gets paint, resize and other events too.
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (const auto* mouse = static_cast<QMouseEvent*>(event); mouse->button() == Qt::LeftButton)
                CommentsMouseDown(int(mouse->position().y()));
            return true;
        case QEvent::MouseMove:
            if (const auto* mouse = static_cast<QMouseEvent*>(event); mouse->buttons() & Qt::LeftButton)
                CommentsMouseMove(int(mouse->position().y()));
            return true;
        case QEvent::MouseButtonRelease:
            CommentsMouseUp();
            return true;
        default:
            break;
        }
    } else if ((watched == LblHomepage || watched == LblMail) &&
               event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == LblHomepage)
            LblHomepageClick();
        else
            LblMailClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::CommentsMouseDown(int y)
{
    if (!m_dragging)
        QGuiApplication::setOverrideCursor(Qt::PointingHandCursor);
    m_dragging = true;
    m_dragStart = y;
}

void TAboutBox::CommentsMouseMove(int y)
{
    setobj(y);
}

void TAboutBox::CommentsMouseUp()
{
    if (m_dragging)
        QGuiApplication::restoreOverrideCursor();
    m_dragging = false;
}

void TAboutBox::setobj(int y)
{
    // The text neither leaves the top of its frame nor lets its bottom rise into the frame.
    const int top = Comments->y() + y - m_dragStart;
    if (top < 0 && top > Panel1->height() - Comments->height())
        Comments->move(Comments->x(), top);
}

void TAboutBox::LblHomepageClick()
{
    urlOpener()(QUrl(homePageAddress()));
}

void TAboutBox::LblMailClick()
{
    const QUrl mail(QStringLiteral("mailto:") + mailAddress() + QStringLiteral("?subject=") +
                    programFileName());
    if (!urlOpener()(mail))
        MessageBox::ok(this, QStringLiteral("An Error occurred with Mail!"));
}

void TAboutBox::SpeedButton1Click()
{
    reject();
}

void TAboutBox::SpeedButton2Click()
{
    MessageBox::ok(this, systemReport());
}
