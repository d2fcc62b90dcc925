#pragma once

#include <QFrame>

class QGroupBox;
class QLabel;
class QPushButton;

namespace tumbo {

class ClickableLabel;

// The about panel: the title, the copyright, the registration box and the contacts.
class TFrame5 : public QFrame {
    Q_OBJECT

public:
    explicit TFrame5(QWidget* parent = nullptr);

    // The mail address shown on the panel, without "mailto:".
    static QString ContactAddress();

    QPushButton* BitBtn2;
    QGroupBox* GroupBox1;
    ClickableLabel* Image1;
    QLabel* Label2;
    QFrame* Panel1;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10;
    ClickableLabel* Label3;
    ClickableLabel* Label4;
    QPushButton* BitBtn1;

private:
    void createRegistration();
};

}  // namespace tumbo
