#pragma once

#include <QIntValidator>

namespace velmora::plugin::compass_widget {

// Whole numbers from bottom to top. A text shaped like a whole number but
// outside the range ("-5" or "75" for zones 1 to 60) stays in the field as
// unfinished input instead of losing the keystroke: QIntValidator drops a
// typed '-' where bottom >= 0, so "-5" would silently become 5. The panel
// refuses such a text with a message when the user finishes the edit.
class WholeNumberValidator : public QIntValidator
{
    Q_OBJECT

public:
    WholeNumberValidator(int bottom, int top, QObject* parent);

    State validate(QString& input, int& pos) const override;
};

} // namespace velmora::plugin::compass_widget
