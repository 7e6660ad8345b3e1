#pragma once
// Help > About: chip family, program version, library version and port.

#include "widgets.h"

class QFrame;
class QLabel;
class QPushButton;

class TAboutDialog : public TNoEscapeDialog {
    Q_OBJECT
public:
    explicit TAboutDialog(QWidget* parent = nullptr);
    QFrame* Bevel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* lDLLver = nullptr;
    QLabel* lPort = nullptr;
    QPushButton* OKBtn = nullptr;
    void OKBtnClick();

    // The value labels, each sized to its new text.
    void setLibraryVersion(const QString& text);
    void setPort(int port);
    // Sizes every label to its text; runs before each showing.
    void fitLabels();

protected:
    void showEvent(QShowEvent* e) override;
};
