#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QLineEdit;

namespace velmora::plugin::compass_widget {

// Escape in a watched field that is being edited puts back the text the
// field showed before the edit began; no edit finishes. An edit begins with
// the first change a user makes and ends with Return, with Escape, or when
// the focus goes to another widget; between edits the text to put back
// follows whatever the program shows. Escape in a field that is not being
// edited passes on to the field's parents (where it may cancel a pick). GUI
// thread only.
class EscapeRestore : public QObject
{
    Q_OBJECT

public:
    explicit EscapeRestore(QObject* parent = nullptr);

    // Watches field until either is destroyed. Call it before connecting
    // anything that rewrites the field as it is typed (upper-casing), so the
    // edit has begun by then.
    void watch(QLineEdit* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Edit
    {
        QString shownBefore;
        bool underway = false;
    };
    void end(QLineEdit* field);

    QHash<const QObject*, Edit> edits;
};

} // namespace velmora::plugin::compass_widget
