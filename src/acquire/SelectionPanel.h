#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

class QFrame;
class QImage;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QWidget;

namespace palvenor::acquire {

// The selection panel of a document window: the list `List1` of files to
// choose from, kept in alphabetical order whatever the case, and beside it
// the frame `Frame3` with the hint `Label2`, the button `Start`, and, while
// pages arrive, the newest page, a progress bar and the cancel button.
// Everything is hidden until a command shows it.
class SelectionPanel : public QObject {
    Q_OBJECT
public:
    explicit SelectionPanel(QWidget& window);

    void clear();
    void setEntries(const QStringList& names);
    void addEntry(const QString& name);
    int count() const;
    QString entry(int index) const;
    bool isSelected(int index) const;
    void setSelected(int index, bool selected);

    // Places list and frame at the window's right edge from `top` down, the
    // frame directly left of the list, the list `height` high.
    void place(int top, int height);
    void show();
    void hide();
    bool isShown() const;

    // The progress part: shown with `steps` steps (0 for a transfer of
    // unknown length) and hidden again.
    void beginProgress(int steps);
    void step(int done, const QImage& page);
    void endProgress();

signals:
    void startClicked();
    void cancelClicked();

private:
    std::array<QWidget*, 3> progressParts() const;

    QWidget& window_;
    QListWidget* list_;
    QFrame* frame_;
    QLabel* preview_;
    QProgressBar* progress_;
    QPushButton* cancel_;
};

}  // namespace palvenor::acquire
