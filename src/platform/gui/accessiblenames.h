#pragma once
// What a screen reader says for the program's controls: each control is read by its label, in
// the program's language.
class QWidget;

namespace AccessibleNames {

// Gives every control of the window that has no accessible name the text of its label: a label
// whose buddy it is, else the label just before it in its layout (the cell to its left in a
// grid or a form); a list or text area alone in a group box or on a tab takes the group's title
// or the tab's caption. "&" and a closing colon are left out. Safe to run at every showing.
void fromLabels(QWidget* window);

// Combo boxes read their label as their name and their choice as their value (Qt on Linux reads
// the choice as the name). Runs once, before the first window is made: a control keeps the
// reading it had when it was made. fromLabels() runs it too.
void install();

} // namespace AccessibleNames
