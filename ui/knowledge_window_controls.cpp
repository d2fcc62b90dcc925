#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/dialogue_list_model.h"
#include "ui/knowledge_window.h"

namespace tumbo {

QString KnowledgeWindow::Title() {
    return QString::fromUtf8("База диалогов");
}

void KnowledgeWindow::createControls() {
    setObjectName("KnowledgeWindow");
    setWindowTitle(Title());
    setAccessibleName(Title());
    // Beside the chat, not in front of it: no modality, and the program ends with the chat.
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(780, 480);
    setMinimumSize(480, 300);
    createListControls();
    createEditControls();
}

void KnowledgeWindow::createListControls() {
    SearchField = new QLineEdit(this);
    SearchField->setObjectName("SearchField");
    SearchField->setAccessibleName(QString::fromUtf8("Поиск по фразам и ответам"));
    SearchField->setPlaceholderText(QString::fromUtf8("Поиск по фразам и ответам (Ctrl+F)"));
    SearchField->setClearButtonEnabled(true);

    NewestFirst = new QCheckBox(QString::fromUtf8("Сначала новые"), this);
    NewestFirst->setObjectName("NewestFirst");
    NewestFirst->setAccessibleName(QString::fromUtf8("Сначала новые"));
    NewestFirst->setAccessibleDescription(
        QString::fromUtf8("Последние добавленные диалоги, ваши уроки среди них, в начале списка"));

    model_ = new DialogueListModel(this);
    loader_ = new QTimer(this);
    loader_->setInterval(0);
    connect(loader_, &QTimer::timeout, this, [this] { ReadSome(kSliceMs); });

    DialogueList = new QTreeView(this);
    DialogueList->setModel(model_);
    DialogueList->setObjectName("DialogueList");
    DialogueList->setAccessibleName(QString::fromUtf8("Диалоги"));
    DialogueList->setAccessibleDescription(
        QString::fromUtf8("Номер, первая фраза и первый ответ каждого диалога"));
    DialogueList->setRootIsDecorated(false);
    DialogueList->setItemsExpandable(false);
    // Rows of one height, and texts cut short when read: a list of any length and any
    // line lays out at once.
    DialogueList->setUniformRowHeights(true);
    DialogueList->setTextElideMode(Qt::ElideRight);
    DialogueList->setWordWrap(false);
    DialogueList->installEventFilter(this);
    DialogueList->setAllColumnsShowFocus(true);
    DialogueList->setSelectionMode(QAbstractItemView::SingleSelection);
    DialogueList->header()->setStretchLastSection(true);
    DialogueList->setColumnWidth(kNumberColumn, 56);
    DialogueList->setColumnWidth(kOpenerColumn, 170);
}

void KnowledgeWindow::createEditControls() {
    DialogueText = new QPlainTextEdit(this);
    DialogueText->setObjectName("DialogueText");
    DialogueText->setAccessibleName(QString::fromUtf8("Текст диалога"));
    DialogueText->setAccessibleDescription(
        QString::fromUtf8("Строка с $ — что можно сказать, строка с # — ответ; Ctrl+S сохраняет"));
    DialogueText->setPlaceholderText(QString::fromUtf8("Выберите диалог в списке"));
    DialogueText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    DialogueText->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Tab leaves the text for the buttons, so the keyboard alone gets everywhere.
    DialogueText->setTabChangesFocus(true);

    SaveButton = new QPushButton(QString::fromUtf8("&Сохранить"), this);
    SaveButton->setObjectName("SaveButton");
    SaveButton->setAccessibleName(QString::fromUtf8("Сохранить диалог"));
    ForgetButton = new QPushButton(QString::fromUtf8("&Забыть"), this);
    ForgetButton->setObjectName("ForgetButton");
    ForgetButton->setAccessibleName(QString::fromUtf8("Забыть диалог"));
    ForgetButton->setAccessibleDescription(
        QString::fromUtf8("Убрать выбранный диалог из базы; его файл остаётся в dlg/forgotten"));
    UndoLessonButton = new QPushButton(QString::fromUtf8("Забыть &последний урок"), this);
    UndoLessonButton->setObjectName("UndoLessonButton");
    UndoLessonButton->setAccessibleName(QString::fromUtf8("Забыть последний урок"));
    UndoLessonButton->setAccessibleDescription(
        QString::fromUtf8("Убрать из базы диалог, которому вы научили Тумбо последним"));
    for (QPushButton* button : {SaveButton, ForgetButton, UndoLessonButton}) {
        button->setAutoDefault(false);
    }

    Status = new QLabel(this);
    Status->setObjectName("Status");
    Status->setAccessibleName(QString::fromUtf8("Состояние"));
    Status->setWordWrap(true);
}

void KnowledgeWindow::createLayout() {
    auto* search = new QHBoxLayout;
    search->addWidget(SearchField, 1);
    search->addWidget(NewestFirst);

    auto* editing = new QWidget(this);
    auto* editingLayout = new QVBoxLayout(editing);
    editingLayout->setContentsMargins(0, 0, 0, 0);
    editingLayout->addWidget(DialogueText, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SaveButton);
    buttons->addWidget(ForgetButton);
    buttons->addStretch(1);
    editingLayout->addLayout(buttons);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(DialogueList);
    splitter->addWidget(editing);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(UndoLessonButton);
    bottom->addWidget(Status, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(search);
    layout->addWidget(splitter, 1);
    layout->addLayout(bottom);

    setTabOrder(SearchField, NewestFirst);
    setTabOrder(NewestFirst, DialogueList);
    setTabOrder(DialogueList, DialogueText);
    setTabOrder(DialogueText, SaveButton);
    setTabOrder(SaveButton, ForgetButton);
    setTabOrder(ForgetButton, UndoLessonButton);
}

void KnowledgeWindow::connectHandlers() {
    connect(SearchField, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });
    // Enter in the search goes on to what was found.
    connect(SearchField, &QLineEdit::returnPressed, this, [this] {
        DialogueList->setFocus();
        if (!DialogueList->currentIndex().isValid() && model_->rowCount() > 0) {
            DialogueList->setCurrentIndex(model_->index(0, kOpenerColumn));
        }
    });
    connect(NewestFirst, &QCheckBox::toggled, this, [this](bool newestFirst) {
        model_->SetNewestFirst(newestFirst);
        AfterListChanged();
    });
    connect(DialogueList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { guard_([this] { ShowSelected(); }); });
    connect(SaveButton, &QPushButton::clicked, this,
            [this] { guard_([this] { SaveButtonClick(); }); });
    connect(ForgetButton, &QPushButton::clicked, this,
            [this] { guard_([this] { ForgetButtonClick(); }); });
    connect(UndoLessonButton, &QPushButton::clicked, this,
            [this] { guard_([this] { UndoLessonButtonClick(); }); });
}

void KnowledgeWindow::createShortcuts() {
    auto* save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, SaveButton, &QPushButton::click);
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        SearchField->setFocus();
        SearchField->selectAll();
    });
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

}  // namespace tumbo
