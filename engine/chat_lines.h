#pragma once

#include <string>

#include "platform/cp1251_literal.h"

namespace tumbo::chat_lines {

// What the program's own lines in the chat log begin with.
inline const std::string kSpeaker = "Tumbo:";
// After the user's name, when the phrase field is empty.
inline const std::string kSilence = Cp1251(u8" ты чё молчишь ?");
inline const std::string kNoAnswer = Cp1251(u8"Tumbo:не знаю ответа");
inline const std::string kLearnt = Cp1251(u8"Tumbo:Усвоил  :)");
inline const std::string kNotTaught = Cp1251(u8"Tumbo:ты меня не учишь :(");

}  // namespace tumbo::chat_lines
