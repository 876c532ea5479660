// The main window's flat menus and its about box.
#include "app/TQuillmar.h"

#include "dialogs/TAboutBoxDlg.h"
#include "menus/TFlatMenuPainter.h"

#include <QAction>

void TQuillmar::setupMenusAndAbout()
{
    // The painter draws the menus, the pop-up menus and the tool bar flat, and frames the list and the
    // memos; the settings give it its icon strip colour.
    MenuPainter1 = new TFlatMenuPainter(this);
    MenuPainter1->setObjectName(QStringLiteral("MenuPainter1"));
    MenuPainter1->applyMainWindowDesign();

    About = new TAboutBoxDlg(this);
    About->applyMainWindowDesign();
    actAbout->setVisible(true);
    connect(actAbout, &QAction::triggered, this, &TQuillmar::About1Click);
}

void TQuillmar::About1Click()
{
    About->Execute(this);
}
