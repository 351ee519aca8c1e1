#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <initializer_list>

class QEvent;
class QLabel;
class QLineEdit;

namespace velmora::plugin::compass_widget {

// Says why a field's text cannot be taken. Qt finishes no edit while a
// field's validator holds its text as unfinished ("61" in the zone field, "-"
// in a number field): Return and leaving the field would do nothing and say
// nothing. For a watched field they show the field's message in its message
// label and mark the field (its "refused" property is true and its
// background turns pink) until its text is one the validator takes.
class FieldRefusals : public QObject
{
    Q_OBJECT

public:
    explicit FieldRefusals(QObject* parent);

    // Watches field (not owned; it must outlive this object): message goes
    // into status (not owned) when the user presses Return or Enter in the
    // field or leaves it while its validator does not take its text.
    void watch(QLineEdit* field, QLabel* status, const QString& message);

    // True when the validator of each field takes its text; otherwise the
    // first field that fails is refused as on Return and false is returned.
    // A field without a validator, or not watched, always counts as taken.
    bool allTaken(std::initializer_list<QLineEdit*> fields);

    // Shows message in the watched field's label and marks the field;
    // nothing for a field that is not watched.
    void refuse(QLineEdit* field, const QString& message);

    // Whether field is marked as refused.
    static bool isMarked(const QLineEdit* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Refusal
    {
        // The panel's widgets go before this object does; a field losing
        // focus while they are torn down must not reach a deleted label.
        QPointer<QLabel> status;
        QString message;
    };

    // Whether the validator takes the text, after its own fixup as Qt tries it.
    static bool isTaken(const QLineEdit* field);
    static void mark(QLineEdit* field, bool refused);

    QHash<QLineEdit*, Refusal> refusals;
};

} // namespace velmora::plugin::compass_widget
