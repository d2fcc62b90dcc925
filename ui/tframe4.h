#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

namespace tumbo {

class ClickableLabel;

// The authors panel: who made Tumbo, where, and the program's web page.
class TFrame4 : public QFrame {
    Q_OBJECT

public:
    explicit TFrame4(QWidget* parent = nullptr);

    // The address the link on the panel stands for.
    static QString WebPageUrl();

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label4;
    QLabel* Label3;
    QLabel* Label5;
    ClickableLabel* Label6;
    QLabel* Label7;
    QPushButton* BitBtn1;
};

}  // namespace tumbo
