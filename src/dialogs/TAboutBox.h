#pragma once

#include "dialogs/BinaryClock.h"
#include "platform/SystemInfo.h"

#include <QDialog>
#include <QPixmap>

#include <array>
#include <functional>

class QFrame;
class QIcon;
class QLabel;
class QTimer;
class QToolButton;
class QUrl;

// The about box: the program's name and version over its picture, the credits text, a binary clock that
// goes with the caption every second, the links to the maker's home page and mail, and a button that
// reports the operating system, the memory and the free disk space. TAboutBoxDlg fills and shows it.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    static QString homePageAddress();
    static QString mailAddress();
    // How links are opened (tests put in their own); answers whether the desktop took the address.
    using UrlOpener = std::function<bool(const QUrl&)>;
    static void setUrlOpener(UrlOpener opener);

    void setBackground(bool useBackBMP, const QPixmap& backBMP, const QColor& backCol);
    void setFormLook(const QFont& font, const QColor& fontColor, const QColor& formColor);
    void setProductName(const QString& name);
    void setCopyright(const QString& text);
    void setComments(const QStringList& lines);
    void setSystemFacts(const SystemFacts& facts);
    void setProgramIcon(const QIcon& icon);
    // Where the credits stand; a scrolling control takes the place and hides them.
    QRect creditsGeometry() const;
    void hideStaticCredits();

    // The clock's labels, in the order the clock goes through them.
    const std::array<QLabel*, BinaryClock::kBitCount>& clockLabels() const { return m_clockLabels; }
    // The system report as the button shows it.
    QString systemReport() const;
    // The program file's name without folder.
    static QString programFileName();

    static const QColor& litColor();
    static const QColor& unlitColor();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    void Timer1Timer();
    void showClock();
    void CommentsMouseDown(int y);
    void CommentsMouseMove(int y);
    void CommentsMouseUp();
    void setobj(int y);
    void LblHomepageClick();
    void LblMailClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    QLabel* label(const QString& text, const QRect& geometry, const char* name);

    QLabel* Image1 = nullptr;
    QLabel* ProgramIcon2 = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* LblVersion = nullptr;
    QLabel* VersNo = nullptr;
    QLabel* ReleaseLbl = nullptr;
    QLabel* Release = nullptr;
    QLabel* BuildL = nullptr;
    QLabel* Build = nullptr;
    QLabel* LblCopyRight_Text = nullptr;
    QLabel* LblCopyright = nullptr;
    QLabel* Copyright = nullptr;
    QFrame* Panel2 = nullptr;
    QWidget* Panel1 = nullptr;
    QLabel* Comments = nullptr;
    QFrame* Panel3 = nullptr;
    std::array<QLabel*, BinaryClock::kBitCount> m_clockLabels{};
    QLabel* Lblexplaindrag = nullptr;
    QLabel* LblTextURL = nullptr;
    QLabel* LblHomepage = nullptr;
    QLabel* LblMail = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QTimer* Timer1 = nullptr;

    QString m_programPath;
    int m_dragStart = 0;
    bool m_dragging = false;
    bool m_useBackBMP = false;
    QPixmap m_backBMP;
    QColor m_backCol = Qt::black;
    SystemFacts m_facts;
};
