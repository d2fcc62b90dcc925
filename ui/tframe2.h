#pragma once

#include <QFrame>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tumbo {

// The teaching panel: up to four phrases of the user and up to four answers of Tumbo.
class TFrame2 : public QFrame {
    Q_OBJECT

public:
    explicit TFrame2(QWidget* parent = nullptr);

    // Phrase fields, then as many reply fields.
    static constexpr int kFieldsEach = 4;

    // Edit1..Edit8 for numbers 1..8; nullptr for any other number.
    QLineEdit* Field(int number) const;
    // Says in the panel what the lesson still needs; an empty text clears it.
    void SayMissing(const QString& text);
    // Says in the panel, and to a screen reader, where the lesson stands.
    void SayPlace(int turn, int variant, int phrases, int answers);

    QLabel* Label1;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLabel* Label2;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QLabel* Label3;
    QLineEdit* Edit5;
    QLineEdit* Edit6;
    QLabel* Label4;
    QLineEdit* Edit7;
    QLineEdit* Edit8;
    QPushButton* BitBtn3;
    QPushButton* BitBtn4;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    // The keys of the panel, and what a lesson still needs.
    QLabel* Label5;
    QLabel* Label6;
    // Where the lesson stands, above the headings.
    QLabel* Label7;

private:
    void createFields();
    void createButtons();
    // The tab chain, the hint on the keys, and what Enter and Ctrl+Enter do.
    void createKeys();

    std::array<QLineEdit*, 2 * kFieldsEach> fields_{};
};

}  // namespace tumbo
