#pragma once
// Shared test fixture: the simulator's control functions on the same loaded
// library instance the program uses, a recorder in place of every message box
// and file dialog, and the program's five windows in a temporary directory.

#include "TForm1.h"
#include "dialogs.h"
#include "globals.h"
#include "simfixture.h"

#include <QList>
#include <QStringList>
#include <functional>

class RecordingDialogs : public Dialogs {
public:
    struct Shown {
        QString kind; // error, message, question, general, open, save, modal
        QString text;
        QString caption;
    };
    QList<Shown> shown;
    QList<bool> questionAnswers; // consumed in order; none left: No
    QStringList openAnswers;     // consumed in order; "" or none left: cancel
    QStringList saveAnswers;
    std::function<int(QDialog*)> onModal;     // default: accepted at once
    std::function<void(const Shown&)> onShow; // called as each box appears

    QStringList texts(const QString& kind = QString()) const;
    void clear() { shown.clear(); }

    void errorBox(const QString& text, const QString& caption) override { record("error", text, caption); }
    void message(const QString& text) override { record("message", text, QLatin1String(kAppTitle)); }
    bool question(const QString& text, const QString& caption) override
    {
        record("question", text, caption);
        return !questionAnswers.isEmpty() && questionAnswers.takeFirst();
    }
    void generalError(const QString& text) override { record("general", text, QLatin1String(kAppTitle)); }
    QString openFile(FileDialogSettings& d) override { return pick("open", openAnswers, d); }
    QString saveFile(FileDialogSettings& d) override { return pick("save", saveAnswers, d); }
    int execModal(QDialog* dialog) override;

private:
    void record(const QString& kind, const QString& text, const QString& caption);
    QString pick(const QString& kind, QStringList& answers, FileDialogSettings& d);
};

// How much of a shown top-level window, as the X server has it on the screen
// now, matches what the widget renders (0..1). -1 where there is no screen to
// read from (the offscreen platform): the caller skips.
double shownOnScreen(QWidget* window);

class AppFixture : public SimFolder {
public:
    // library: what the program loads; simLibrary: the simulator instance the
    // test steers (the program's own when it loads a simulator).
    explicit AppFixture(const QString& library = QStringLiteral("HxBus"),
                        const QString& simLibrary = QStringLiteral("HxBus"));
    ~AppFixture();

    void create();       // the five windows, Form1 not yet shown
    void start();        // create() and show Form1: the start-up sequence runs
    void startOverIic(); // start() with a settings file that selects IIC (kIic)
    void startClean();   // start() and its traffic, boxes and waits forgotten
    void close();        // close Form1: FormClose runs
    TForm1* form() const;
    template <class T> T* find(const QString& name) const { return form()->findChild<T*>(name); }
    // The user clicks the control of that name on its page, brought to the front.
    QWidget* clickOnPage(const QString& name);
    // The history box's lines.
    QStringList historyLines() const;

    QString library;
    RecordingDialogs dialogs;
    QList<int> waits;                // every wait the program asked for, in ms
    std::function<void(int)> onWait; // called in each recorded wait
    bool realWait = false;           // the program's own wait instead (set before create)

private:
    bool created_ = false;
};
