#pragma once
// The one question asked before a change or a removal of an occurrence of a
// repeat rule, wherever it is made (the schedule editor, both views, the
// search window).
#include "store/schedulebook.h"

#include <QString>

#include <optional>

class QWidget;

namespace nox
{

// Asks "この予定のみ / これ以降 / すべて" (or キャンセル) in a modal box over
// parent, with `question` as its text; "この予定のみ" is the default button.
// Returns the occurrences the user chose, empty when they cancelled (the
// キャンセル button, Escape or closing the box).
std::optional<OccurrenceScope> askOccurrenceScope(QWidget* parent, const QString& title,
                                                  const QString& question);

// The question's texts for a change and a removal.
QString occurrenceChangeQuestion();
QString occurrenceRemoveQuestion();

} // namespace nox
