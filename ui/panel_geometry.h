#pragma once

class QWidget;

namespace tumbo {

// Every overlay panel sits at 0, 0 and covers exactly the chat log, the input field and
// the send button; it starts hidden.
void PlaceOverChatArea(QWidget* panel);

}  // namespace tumbo
