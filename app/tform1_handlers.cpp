#include <QCheckBox>
#include <QMenuBar>
#include <QProgressBar>
#include <QSlider>

#include "app/default_error_box.h"
#include "app/tform1.h"
#include "app/tframe6.h"
#include "ui/clickable_label.h"
#include "ui/colors.h"
#include "ui/tframe3.h"
#include "ui/tframe4.h"
#include "ui/tframe5.h"

void TForm1::FormCreate() {
    // One guard for the whole sequence: a failure skips the rest of it.
    Guarded([this] {
        engine_.ReadProgramDir(registryFile_);
        engine_.BindFiles();
        engine_.LoadOptions();
    });
}

void TForm1::BringToFront() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TForm1::BitBtn1Click() {
    // Wherever the walk stopped, answered or failed, the bar shows it afterwards.
    struct ShowFinalPosition {
        TForm1* form;
        ~ShowFinalPosition() { form->ProgressBar1->setValue(form->progressPosition_); }
    } showFinalPosition{this};
    engine_.SendPhrase();
}

void TForm1::N1Click() {
    close();
}

void TForm1::N2Click() {
    ShowPanel(Frame31, Frame31->CheckBox1);
}

void TForm1::N4Click() {
    ShowPanel(Frame41, nullptr);
}

void TForm1::N5Click() {
    ShowPanel(Frame51, nullptr);
}

void TForm1::ShowPanel(QWidget* panel, QWidget* firstControl) {
    panel->show();
    if (firstControl != nullptr) {
        firstControl->setFocus();
    } else {
        panel->setFocus();
    }
}

void TForm1::Frame21BitBtn1Click() {
    engine_.ConfirmTeaching();
}

void TForm1::Frame21BitBtn2Click() {
    engine_.LeaveTeaching();
}

void TForm1::Frame21BitBtn3Click() {
    engine_.ExtendTurn();
}

void TForm1::Frame21BitBtn4Click() {
    engine_.NextTurn();
}

void TForm1::Frame31CheckBox1Click() {
    const bool checked = Frame31->CheckBox1->isChecked();
    SetAlphaBlend(checked);
    Frame31->TrackBar1->setEnabled(checked);
}

void TForm1::Frame31TrackBar1Change() {
    SetAlphaValue(Frame31->TrackBar1->value() + tumbo::kAlphaBase);
}

void TForm1::Frame31BitBtn1Click() {
    engine_.SaveOptions();
    Frame31->hide();
}

void TForm1::Frame31BitBtn2Click() {
    Frame31->hide();
    engine_.LoadOptions();
}

void TForm1::Frame61Label1Click() {
    StartLoading();
}

void TForm1::Frame61Label2Click() {
    close();
}

void TForm1::Frame61Label1MouseEnter() {
    SetTextColor(Frame61->Label1, Qt::black);
}

void TForm1::Frame61Label1MouseLeave() {
    SetTextColor(Frame61->Label1, kMaroon);
}

void TForm1::Frame61Label2MouseEnter() {
    SetTextColor(Frame61->Label2, Qt::black);
}

void TForm1::Frame61Label2MouseLeave() {
    SetTextColor(Frame61->Label2, kMaroon);
}

void TForm1::StartLoading() {
    Frame61->Gauge1->show();
    // A fixed animation that blocks the window: each step is painted at once.
    for (int progress = 0; progress <= 100; ++progress) {
        Frame61->Gauge1->setValue(progress);
        Frame61->Gauge1->repaint();
        clock_.Sleep(1);
    }
    Frame61->hide();
    const bool wasVisible = isVisible();
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    for (QAction* item : {N1, N2, N3}) {
        item->setVisible(true);
    }
    menuBar()->show();
    if (wasVisible) {
        show();
    }
}
