#pragma once
// Every message box, question and file dialog of the main window goes through
// this interface, so that tests can answer them without blocking.

#include <QObject>
#include <QString>

class QDialog;
class QWidget;

// Settings of a file dialog component (OpenDialog1, SaveDialog1).
class FileDialogSettings : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    QString filter;     // "CSV|*.csv|All Files|*.*"
    QString defaultExt; // "csv"
    QString fileName;   // last name chosen
};

// "CSV|*.csv|All Files|*.*" -> "CSV (*.csv);;All Files (*.*)"
QString qtNameFilter(const QString& pipeFilter);

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Error box: error icon, one OK button, caption of its own.
    virtual void errorBox(const QString& text, const QString& caption) = 0;
    // Plain message box: one OK button, the application title as caption.
    virtual void message(const QString& text) = 0;
    // Question icon, Yes and No; true only for Yes.
    virtual bool question(const QString& text, const QString& caption) = 0;
    // The application's general error report; the text is shown as given.
    virtual void generalError(const QString& text) = 0;
    // File dialogs; an empty result means cancelled. They update d.fileName.
    virtual QString openFile(FileDialogSettings& d) = 0;
    virtual QString saveFile(FileDialogSettings& d) = 0;
    // Modal showing of one of the program's own dialogs; returns its result.
    virtual int execModal(QDialog* dialog) = 0;
};

// The real boxes.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* owner) : owner_(owner) {}
    void errorBox(const QString& text, const QString& caption) override;
    void message(const QString& text) override;
    bool question(const QString& text, const QString& caption) override;
    void generalError(const QString& text) override;
    QString openFile(FileDialogSettings& d) override;
    QString saveFile(FileDialogSettings& d) override;
    int execModal(QDialog* dialog) override;

private:
    QWidget* owner_;
};
