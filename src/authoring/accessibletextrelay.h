#pragma once

class QWidget;

// Puts the real removed characters into what the editing views tell a screen reader. Qt's
// views announce a removal as so many spaces; for a view watched here, the announcement is
// corrected from the view's RemovedTextWitness before it reaches the accessibility bus. Other
// announcements, and removals the witness cannot vouch for, pass unchanged.
namespace AccessibleTextRelay {

// Watches view (a QPlainTextEdit or QTextEdit) for as long as it lives.
void watch(QWidget &view);

} // namespace AccessibleTextRelay
