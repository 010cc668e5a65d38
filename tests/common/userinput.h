#pragma once
// The user's hand at the keyboard, shared by the fixtures that drive windows.
#include <QString>

class QComboBox;
class QWidget;

namespace UserInput {
// Typing replaces the box's text, as after selecting it all; the text comes as an input
// method hands over Chinese text. Empty text deletes the box's content.
void type(QWidget* box, const QString& text);
// Walks a closed drop-down list with the arrow keys to the item.
void choose(QComboBox* box, const QString& item);
} // namespace UserInput
