#pragma once

#include <QComboBox>

// A drop-down list of font names that shows the stored name until it is opened, and fills itself with the
// installed fonts, each once and drawn in its own face, when it is opened. A stored name that is not
// installed stays in the list, so that opening and closing it changes nothing.
class FontNameComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit FontNameComboBox(QWidget* parent = nullptr);

    void setFontName(const QString& name);
    QString fontName() const { return currentText(); }
    // Fills the list with the installed fonts (FontComboDropDown); runs on every opening.
    void fillFonts();

    void showPopup() override;
};
