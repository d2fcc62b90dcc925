#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>

#include <algorithm>

#include "app/default_error_box.h"
#include "app/tform1.h"
#include "platform/qt/codepage.h"
#include "ui/tframe2.h"
#include "ui/tframe3.h"
#include "ui/tframe5.h"

namespace tumbo {

void TForm1::AppendChatLine(const std::string& line) {
    Memo1->appendPlainText(DecodeCp1251(line));
    // The log has no scroll bar to show that more is below, so it always shows the newest
    // line, wherever it was clicked; a selection made for copying stays.
    QScrollBar* scroll = Memo1->verticalScrollBar();
    scroll->setValue(scroll->maximum());
}

void TForm1::SetInputText(const std::string& text) {
    Edit1->setText(DecodeCp1251(text));
}

void TForm1::SetProgressPosition(int position) {
    progressPosition_ = std::clamp(position, 0, ProgressBar1->maximum());
    // Moving the bar costs more than reading a dialogue file, and no one sees more than a
    // frame's worth of moves: it gets the start of a walk, its end and a move a frame. Even
    // reading the clock costs a walk of 100,000 files a few milliseconds, so it is read
    // only every few files.
    const bool edge = position <= 1 || progressPosition_ == ProgressBar1->maximum();
    if (!edge && position % kProgressClockEvery != 0) {
        return;
    }
    const std::uint64_t now = clock_.Counter();
    if (edge || now - progressShownAt_ >= kProgressFrameNs) {
        progressShownAt_ = now;
        ProgressBar1->setValue(progressPosition_);
    }
}

// The farewell stays on the screen for the pause, with nothing more to be sent, while the
// window goes on painting and answering its desktop.
void TForm1::CloseAfterPause() {
    Edit1->setEnabled(false);
    BitBtn1->setEnabled(false);
    exitTimer_->start(kExitPauseMs);
}

void TForm1::ApplyOptions(const tumbo::TOptions& options) {
    ApplySettingsOptions(options);
    Frame51->Label6->setText(DecodeCp1251(options.UserName));
    SetProgressMaximum(options.DialogueCount);
    Label2->setText(QString::fromUtf8("диологов в базе:") + QString::number(options.DialogueCount));
    Label2->adjustSize();
    Frame51->Label9->setText(QString::number(options.DialogueCount));
}

// Changing the check box or the track bar from here runs their handlers, as a user's
// change would; setting the value they already have runs nothing.
void TForm1::ApplySettingsOptions(const tumbo::TOptions& options) {
    if (!options.TransparentSkin) {
        SetAlphaBlend(false);
        Frame31->CheckBox1->setChecked(false);
        Frame31->TrackBar1->setEnabled(false);
    } else {
        SetAlphaValue(options.Opacity + tumbo::kAlphaBase);
        SetAlphaBlend(true);
        Frame31->CheckBox1->setChecked(true);
    }
    Frame31->TrackBar1->setValue(options.Opacity);
    Frame31->Edit1->setText(DecodeCp1251(options.UserName));
}

tumbo::TOptions TForm1::SettingsFromControls() const {
    tumbo::TOptions options;
    options.UserName = EncodeCp1251(Frame31->Edit1->text());
    options.TransparentSkin = Frame31->CheckBox1->isChecked();
    options.Opacity = Frame31->TrackBar1->value();
    return options;
}

void TForm1::SetAlphaBlend(bool on) {
    alphaBlend_ = on;
    ApplyOpacity();
}

void TForm1::SetAlphaValue(int alpha) {
    alphaValue_ = alpha & 0xFF;
    ApplyOpacity();
}

void TForm1::ApplyOpacity() {
    // Wayland leaves a window's opacity to the compositor, and Qt's plugin there warns at
    // every change; the setting then simply has no effect.
    if (QGuiApplication::platformName().startsWith("wayland")) {
        return;
    }
    setWindowOpacity(alphaBlend_ ? alphaValue_ / 255.0 : 1.0);
}

void TForm1::ShowTurn(const tumbo::Turn& turn) {
    if (!turn.phrase.empty()) {
        SetInputText(turn.phrase);
        // The phrase stays readable, and the next one typed replaces it.
        Edit1->selectAll();
    }
    for (const std::string& line : turn.lines) {
        AppendChatLine(line);
    }
    const bool teaching = IsPanelShown(Frame21);
    switch (turn.state) {
        case tumbo::SessionState::kTeaching:
            if (!teaching) {
                OpenTeaching(turn.phrase);
            } else if (turn.missing != tumbo::LessonGap::kNone) {
                Frame21->SayMissing(MissingText(turn.missing));
            }
            break;
        case tumbo::SessionState::kClosing:
            CloseAfterPause();
            break;
        case tumbo::SessionState::kChatting:
            if (teaching) {
                HideTeachPanel();
            }
            break;
    }
    if (IsPanelShown(Frame21)) {
        const tumbo::LessonPlace place = session_->TeachingPlace();
        Frame21->SayPlace(place.turn, place.variant, place.phrases, place.answers);
    }
    UpdateTeachAnew();
    if (turn.failure) {
        ShowFailure(*turn.failure);
    }
}

void TForm1::OpenTeaching(const std::string& phrase) {
    ClearTeachFields();
    Frame21->SayMissing({});
    Frame21->Edit1->setText(DecodeCp1251(phrase));
    ShowTeachPanel();
}

void TForm1::ClearTeachFields() {
    for (int number = 1; number <= 2 * TFrame2::kFieldsEach; ++number) {
        Frame21->Field(number)->clear();
    }
}

tumbo::LessonFields TForm1::TeachFieldTexts() const {
    tumbo::LessonFields fields;
    for (int i = 1; i <= TFrame2::kFieldsEach; ++i) {
        fields.triggers.push_back(EncodeCp1251(Frame21->Field(i)->text()));
        fields.replies.push_back(EncodeCp1251(Frame21->Field(TFrame2::kFieldsEach + i)->text()));
    }
    return fields;
}

// While the panel is open nothing may send a phrase: a search that failed again would
// clear the fields and start the scratch dialogue afresh.
void TForm1::ShowTeachPanel() {
    Edit1->setEnabled(false);
    BitBtn1->setEnabled(false);
    // The phrase is filled in already; what is asked for is the reply, which takes the focus.
    ShowPanel(Frame21);
}

void TForm1::HideTeachPanel() {
    Edit1->setEnabled(true);
    BitBtn1->setEnabled(true);
    HidePanel(Frame21);
}

}  // namespace tumbo
