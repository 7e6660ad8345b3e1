#include "dialogs.h"

#include "globals.h"
#include "widgets.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStringList>

QString qtNameFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + QLatin1String(" (") +
                   QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) + QLatin1Char(')');
    return out.join(QLatin1String(";;"));
}

namespace {

// The program's message boxes. Their title bar asks for a close button only,
// and they are at least as wide as their caption: a box sizes itself to its
// text, and the window manager shortens a caption that does not fit ("EVM
// con…lication"). Qt keeps room for the caption plus 50 pixels, too little
// beside a window icon and three buttons, which some window managers (openbox)
// show whatever a dialog asks for.
class MessageBox : public QMessageBox {
public:
    MessageBox(Icon icon, const QString& caption, const QString& text, StandardButtons buttons,
               QWidget* owner)
        : QMessageBox(icon, caption, text, buttons, owner, kFixedDialogFlags)
    {
    }

protected:
    void showEvent(QShowEvent* e) override
    {
        // The box takes its width from its layout's minimum when it is shown.
        // Title bars use the desktop's general font, mostly bold (Qt's title
        // font on X11 is a 12-point guess, larger than most desktops use);
        // each button and the icon take about a title bar's height.
        if (auto* grid = qobject_cast<QGridLayout*>(layout()); grid && !captionRoom_) {
            QFont title = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
            title.setBold(true);
            const QFontMetrics fm(title);
            const QMargins m = grid->contentsMargins();
            const int width =
                fm.horizontalAdvance(windowTitle()) + 5 * (fm.height() + 8) - m.left() - m.right();
            captionRoom_ = new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum);
            grid->addItem(captionRoom_, grid->rowCount(), 0, 1, grid->columnCount());
        }
        QMessageBox::showEvent(e);
        // Centred on the owner's client area. Qt's own placement guesses the
        // height of the title bar and puts the box a title bar too high.
        // setGeometry places the client area; the window manager frames it there.
        if (const QWidget* owner = parentWidget(); owner && owner->isVisible()) {
            QRect r(QPoint(), size());
            r.moveCenter(owner->window()->geometry().center());
            setGeometry(r);
        }
    }

private:
    QSpacerItem* captionRoom_ = nullptr; // owned by the layout
};

// A box that comes while its owner has just been shown (the start-up's "No
// EVM was found") waits until the window manager has framed and placed the
// owner, so that it is centred on where the owner is, not where it asked to be.
int run(MessageBox& box, QWidget* owner)
{
    if (owner) waitUntilExposed(owner->window());
    return box.exec();
}

} // namespace

void QtDialogs::errorBox(const QString& text, const QString& caption)
{
    MessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner_);
    run(box, owner_);
}

void QtDialogs::message(const QString& text)
{
    MessageBox box(QMessageBox::NoIcon, QLatin1String(kAppTitle), text, QMessageBox::Ok, owner_);
    run(box, owner_);
}

bool QtDialogs::question(const QString& text, const QString& caption)
{
    MessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner_);
    box.setDefaultButton(QMessageBox::No);
    return run(box, owner_) == QMessageBox::Yes;
}

void QtDialogs::generalError(const QString& text)
{
    MessageBox box(QMessageBox::Critical, QLatin1String(kAppTitle), text, QMessageBox::Ok, owner_);
    run(box, owner_);
}

static QString runFileDialog(QWidget* owner, FileDialogSettings& d, QFileDialog::AcceptMode mode)
{
    QFileDialog dlg(owner);
    dlg.setAcceptMode(mode);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilter(qtNameFilter(d.filter));
    QString ext = d.defaultExt;
    if (ext.startsWith(QLatin1String("*."))) ext = ext.mid(2);
    dlg.setDefaultSuffix(ext);
    // The program asks its own overwrite question.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!d.fileName.isEmpty()) dlg.selectFile(d.fileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    d.fileName = dlg.selectedFiles().constFirst();
    return d.fileName;
}

QString QtDialogs::openFile(FileDialogSettings& d)
{
    return runFileDialog(owner_, d, QFileDialog::AcceptOpen);
}
QString QtDialogs::saveFile(FileDialogSettings& d)
{
    return runFileDialog(owner_, d, QFileDialog::AcceptSave);
}
int QtDialogs::execModal(QDialog* dialog)
{
    return dialog->exec();
}
