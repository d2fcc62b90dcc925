#include "app/tform1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QStyle>
#include <QTimer>

#include <algorithm>

#include "app/default_error_box.h"
#include "app/window_place.h"
#include "platform/qt/message_box.h"
#include "ui/clickable_label.h"
#include "ui/colors.h"
#include "ui/knowledge_window.h"
#include "ui/panel_widgets.h"
#include "ui/resources_init.h"
#include "ui/tframe2.h"
#include "ui/tframe3.h"
#include "ui/tframe4.h"
#include "ui/tframe5.h"
#include "ui/tframe6.h"
#include "ui/titles.h"

namespace tumbo {

namespace {

// A widget's place in screen coordinates.
QRect OnScreen(const QWidget& widget) {
    return {widget.mapToGlobal(QPoint()), widget.size()};
}

// What the window manager adds around a window.
QMargins FrameMargins(const QWidget& window) {
    const QRect client = window.geometry();
    const QRect frame = window.frameGeometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

}  // namespace

TForm1::TForm1(tumbo::Session& session, tumbo::Clock& clock,
               std::vector<tumbo::Failure> startFailures, QWidget* parent)
    : TForm1(&session, clock, std::move(startFailures), parent) {}

TForm1::TForm1(tumbo::Clock& clock, QWidget* parent) : TForm1(nullptr, clock, {}, parent) {}

TForm1::TForm1(tumbo::Session* session, tumbo::Clock& clock,
               std::vector<tumbo::Failure> startFailures, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      clock_(clock),
      startFailures_(std::move(startFailures)) {
    createWindow();
    createChatLayout();
    createInfoBox();
    createStatusStrip();
    createPanels();
    createSplash();
    createMenu();
    connectHandlers();
    setTabOrder();
    createShortcuts();
    createTimers();
    UpdateCovering();
    layout()->activate();
    PlaceOnScreen();
    // Boxes belong to this window, also those of the start-up below.
    tumbo::SetBoxOwner(this);
    if (session_ != nullptr) {
        FormCreate();
    } else {
        Frame61->SayPreparing(0, 0);
    }
}

void TForm1::Attach(tumbo::Session& session, std::vector<tumbo::Failure> startFailures) {
    session_ = &session;
    startFailures_ = std::move(startFailures);
    Frame61->SayReady();
    FormCreate();
    UpdateTeachAnew();
}

void TForm1::ShowInstallProgress(int done, int total) {
    if (session_ == nullptr) {
        Frame61->SayPreparing(done, total);
    }
}

TForm1::~TForm1() {
    knowledge_.reset();
    tumbo::SetBoxOwner(nullptr);
}

void TForm1::createWindow() {
    setObjectName("Form1");
    setWindowTitle(WindowTitle());
    setAccessibleName(QString::fromUtf8("Тумбо"));
    InitResources();
    setWindowIcon(QIcon(":/art/tumbo.png"));
    // Borderless behind the splash until loading ends.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    QFont font({"MS Sans Serif", "DejaVu Sans", "Sans Serif"});
    font.setPointSize(8);
    setFont(font);
    client_ = new QWidget(this);
    client_->setObjectName("client");
    client_->setFixedSize(536, 340);
    setCentralWidget(client_);
    // The window always fits what it shows, as the menu appears after loading.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TForm1::createChatLayout() {
    Memo1 = new QPlainTextEdit(client_);
    Memo1->setObjectName("Memo1");
    Memo1->setAccessibleName(QString::fromUtf8("Беседа"));
    Memo1->setAccessibleDescription(QString::fromUtf8("Ваши фразы и ответы Тумбо"));
    Memo1->setGeometry(8, 11, 329, 209);
    Memo1->setReadOnly(true);
    // The log can be read and copied from with the keyboard too; what is typed there goes
    // to the phrase field.
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo1->installEventFilter(this);
    // Only the latest lines are kept, so a long session never grows without end.
    Memo1->setMaximumBlockCount(kChatLogLines);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont bold = Memo1->font();
    bold.setBold(true);
    Memo1->setFont(bold);
    SetTextColor(Memo1, kGreen);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), tr("OK"), client_);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setAccessibleName(QString::fromUtf8("Отправить фразу"));
    BitBtn1->setGeometry(264, 235, 75, 25);
    BitBtn1->setDefault(true);

    Edit1 = new QLineEdit(client_);
    Edit1->setObjectName("Edit1");
    Edit1->setAccessibleName(QString::fromUtf8("Ваша фраза"));
    Edit1->setAccessibleDescription(QString::fromUtf8("Напишите фразу и нажмите Enter"));
    Edit1->setGeometry(8, 235, 249, 21);
}

void TForm1::createInfoBox() {
    GroupBox1 = new QGroupBox(WindowTitle(), client_);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setAccessibleName(QString::fromUtf8("Сведения"));
    GroupBox1->setGeometry(344, 11, 185, 281);
    SetTextColor(GroupBox1, kRed);

    Label2 = MakeLabel(GroupBox1, "Label2", {}, {}, 8, 32);
    SetTextColor(Label2, kMaroon);
    Label5 =
        MakeLabel(GroupBox1, "Label5", {}, QString::fromUtf8("прогрузка базы данных:"), 32, 136);
    SetTextColor(Label5, kMaroon);
    ProgressBar1 = new QProgressBar(GroupBox1);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setAccessibleName(QString::fromUtf8("Поиск ответа по базе"));
    ProgressBar1->setGeometry(8, 152, 169, 17);
    ProgressBar1->setTextVisible(false);
    SetProgressMaximum(0);
    // A new bar holds -1, which assistive tools read out before the first search.
    ProgressBar1->setValue(0);
    Label4 = MakeLabel(GroupBox1, "Label4", {}, QString::fromUtf8("сделано в мастерской Тумбо"),
                       104, 264);
    SetTextColor(Label4, kGreen);
    Label4->move(GroupBox1->width() - Label4->width() - 8, 264);
}

void TForm1::createStatusStrip() {
    Bevel1 = new QFrame(client_);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(0, 299, 536, 2);
    Bevel1->setAccessibleName(QString::fromUtf8("Разделитель"));
    Label1 = MakeLabel(client_, "Label1", {}, QString::fromUtf8("Made in СССР"), 8, 307);
    SetTextColor(Label1, palette().windowText().color());
}

void TForm1::createPanels() {
    Frame21 = new TFrame2(client_);
    Frame31 = new TFrame3(client_);
    Frame41 = new TFrame4(client_);
    Frame51 = new TFrame5(client_);
    overlays_ = {{{Frame21, Frame21->Field(5), Frame21->BitBtn2, false},
                  {Frame31, Frame31->Edit1, Frame31->BitBtn2, false},
                  {Frame41, Frame41->BitBtn1, Frame41->BitBtn1, false},
                  {Frame51, Frame51->BitBtn1, Frame51->BitBtn1, false}}};
}

void TForm1::createSplash() {
    Frame61 = new TFrame6(client_);
    Frame61->raise();
    Frame61->Label1->setFocus();
    Guarded([this] { Frame61->LoadPicture(); });
}

void TForm1::createMenu() {
    menuBar()->setObjectName("MainMenu1");
    menuBar()->setAccessibleName(QString::fromUtf8("Главное меню"));
    N1 = menuBar()->addAction(QString::fromUtf8("Выход"));
    N1->setObjectName("N1");
    N2 = menuBar()->addAction(QString::fromUtf8("Настройки"));
    N2->setObjectName("N2");
    QMenu* base = menuBar()->addMenu(QString::fromUtf8("База"));
    base->setObjectName("N6menu");
    base->setAccessibleName(QString::fromUtf8("База"));
    base->menuAction()->setObjectName("N6top");
    N6 = base->addAction(QString::fromUtf8("База диалогов"));
    N6->setObjectName("N6");
    N6->setToolTip(QString::fromUtf8("База диалогов: посмотреть, изменить, забыть"));
    N7 = base->addAction(QString::fromUtf8("Научить другому ответу"));
    N7->setObjectName("N7");
    N7->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    N7->setToolTip(
        QString::fromUtf8("Научить Тумбо другому ответу на вашу последнюю фразу; доступно после "
                          "его ответа"));
    N7->setEnabled(false);
    QMenu* help = menuBar()->addMenu("?");
    help->setObjectName("N3menu");
    help->setAccessibleName(QString::fromUtf8("Справка"));
    N3 = help->menuAction();
    N3->setObjectName("N3");
    N4 = help->addAction(QString::fromUtf8("Об авторах"));
    N4->setObjectName("N4");
    N5 = help->addAction(QString::fromUtf8("О программе"));
    N5->setObjectName("N5");
    for (QAction* item : {N1, N2, base->menuAction(), N3}) {
        item->setVisible(false);
    }
    menuBar()->hide();
}

void TForm1::connectHandlers() {
    connect(BitBtn1, &QPushButton::clicked, this, Guard(&TForm1::BitBtn1Click));
    connect(Edit1, &QLineEdit::returnPressed, this, Guard(&TForm1::BitBtn1Click));
    connect(N1, &QAction::triggered, this, Guard(&TForm1::N1Click));
    connect(N2, &QAction::triggered, this, Guard(&TForm1::N2Click));
    connect(N4, &QAction::triggered, this, Guard(&TForm1::N4Click));
    connect(N5, &QAction::triggered, this, Guard(&TForm1::N5Click));
    connect(N6, &QAction::triggered, this, Guard(&TForm1::N6Click));
    connect(N7, &QAction::triggered, this, Guard(&TForm1::N7Click));
    connect(Frame41->Label6, &ClickableLabel::clicked, this, Guard(&TForm1::Frame41Label6Click));
    connect(Frame41->BitBtn1, &QPushButton::clicked, this, Guard(&TForm1::Frame41BitBtn1Click));
    connect(Frame51->Label4, &ClickableLabel::clicked, this, Guard(&TForm1::Frame51Label4Click));
    connect(Frame51->BitBtn1, &QPushButton::clicked, this, Guard(&TForm1::Frame51BitBtn1Click));
    connect(Frame51->BitBtn2, &QPushButton::clicked, this, Guard(&TForm1::Frame51BitBtn2Click));
    connect(Frame51->Image1, &ClickableLabel::clicked, this, Guard(&TForm1::Frame51Image1Click));
    connect(Frame61->Label1, &ClickableLabel::clicked, this, Guard(&TForm1::Frame61Label1Click));
    connect(Frame61->Label2, &ClickableLabel::clicked, this, Guard(&TForm1::Frame61Label2Click));
    connect(Frame21->BitBtn1, &QPushButton::clicked, this, Guard(&TForm1::Frame21BitBtn1Click));
    connect(Frame21->BitBtn2, &QPushButton::clicked, this, Guard(&TForm1::Frame21BitBtn2Click));
    connect(Frame21->BitBtn3, &QPushButton::clicked, this, Guard(&TForm1::Frame21BitBtn3Click));
    connect(Frame21->BitBtn4, &QPushButton::clicked, this, Guard(&TForm1::Frame21BitBtn4Click));
    connect(Frame31->CheckBox1, &QCheckBox::toggled, this, Guard(&TForm1::Frame31CheckBox1Click));
    connect(Frame31->TrackBar1, &QSlider::valueChanged, this,
            Guard(&TForm1::Frame31TrackBar1Change));
    connect(Frame31->BitBtn1, &QPushButton::clicked, this, Guard(&TForm1::Frame31BitBtn1Click));
    connect(Frame31->BitBtn2, &QPushButton::clicked, this, Guard(&TForm1::Frame31BitBtn2Click));
    connect(Frame61->Label1, &ClickableLabel::entered, this, &TForm1::Frame61Label1MouseEnter);
    connect(Frame61->Label1, &ClickableLabel::left, this, &TForm1::Frame61Label1MouseLeave);
    connect(Frame61->Label2, &ClickableLabel::entered, this, &TForm1::Frame61Label2MouseEnter);
    connect(Frame61->Label2, &ClickableLabel::left, this, &TForm1::Frame61Label2MouseLeave);
}

void TForm1::setTabOrder() {
    QWidget::setTabOrder(Memo1, BitBtn1);
    QWidget::setTabOrder(BitBtn1, Edit1);
    QWidget::setTabOrder(Edit1, GroupBox1);
}

void TForm1::createShortcuts() {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TForm1::EscapeTopPanel);
}

void TForm1::createTimers() {
    loadingTimer_ = new QTimer(this);
    loadingTimer_->setObjectName("LoadingTimer");
    loadingTimer_->setTimerType(Qt::PreciseTimer);
    loadingTimer_->setInterval(kLoadingStepMs);
    connect(loadingTimer_, &QTimer::timeout, this, Guard(&TForm1::LoadingStep));
    exitTimer_ = new QTimer(this);
    exitTimer_->setObjectName("ExitTimer");
    exitTimer_->setSingleShot(true);
    connect(exitTimer_, &QTimer::timeout, this, &QWidget::close);
}

void TForm1::N6Click() {
    OpenKnowledgeWindow().Open(frameGeometry(), OnScreen(*Edit1), FrameMargins(*this));
}

// After an exact answer a new dialogue could never be found first, so the one that answered
// is opened to be edited; otherwise a lesson opens with the phrase.
void TForm1::N7Click() {
    const tumbo::AnsweredPhrase last = session_->LastAnswer();
    if (last.phrase.empty() || !N7->isEnabled()) {
        return;
    }
    if (last.exact) {
        OpenKnowledgeWindow().OpenOn(frameGeometry(), last.entry, OnScreen(*Edit1),
                                     FrameMargins(*this));
        return;
    }
    ShowTurn(session_->TeachAnew());
}

void TForm1::UpdateTeachAnew() {
    N7->setEnabled(session_ != nullptr && Frame61->isHidden() && TopOverlay() == nullptr &&
                   !session_->LastAnswer().phrase.empty());
}

KnowledgeWindow& TForm1::OpenKnowledgeWindow() {
    if (knowledge_ == nullptr) {
        // Boxes of the base window's handlers belong to it, not to the chat behind it, also
        // after a guarded step inside a handler has ended.
        auto guard = [this](const std::function<void()>& handler) {
            QWidget* const owner = tumbo::BoxOwner();
            tumbo::SetBoxOwner(knowledge_.get());
            Guarded(handler);
            tumbo::SetBoxOwner(owner);
        };
        knowledge_ = std::make_unique<KnowledgeWindow>(
            *session_, guard, [this] { ApplyOptions(session_->Options()); });
        knowledge_->setWindowIcon(windowIcon());
    }
    return *knowledge_;
}

void TForm1::PlaceOnScreen() {
    QScreen* screen = QGuiApplication::screenAt(kDesignedPlace);
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen != nullptr) {
        move(FittedPlace(screen->availableGeometry(), frameGeometry().size(), kDesignedPlace));
    }
}

bool TForm1::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    // The frame's size is known only once the window manager has framed the window; a frame
    // that then sticks out of a small screen is moved inside it once.
    if (fitWhenFramed_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
        frameGeometry() != geometry()) {
        fitWhenFramed_ = false;
        const QScreen* place = screen();
        if (place != nullptr && !place->availableGeometry().contains(frameGeometry())) {
            PlaceOnScreen();
        }
    }
    return handled;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo1 && event->type() == QEvent::KeyPress && Edit1->isEnabled() &&
        Edit1->isVisible()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool commanded =
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
        const bool printable = !key->text().isEmpty() && key->text().at(0).isPrint();
        if (!commanded && (enter || printable)) {
            Edit1->setFocus(Qt::OtherFocusReason);
            QCoreApplication::sendEvent(Edit1, event);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::Guarded(const std::function<void()>& handler) {
    RunGuarded(handler);
}

std::function<void()> TForm1::Guard(void (TForm1::*handler)()) {
    return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
}

void TForm1::SetProgressMaximum(int maximum) {
    // An empty range would make Qt draw a busy animation instead of an empty bar.
    ProgressBar1->setRange(0, std::max(maximum, 1));
}

}  // namespace tumbo
