#include "pictures.h"

#include <QEvent>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QPainter>

#include <utility>

namespace pictures {

namespace {

QFont arial(int px, bool bold)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

// A raised plate: light edge top and left, dark edge bottom and right.
void drawPlate(QPainter& p, const QRect& r, const QColor& face)
{
    p.fillRect(r, face);
    p.setPen(face.lighter(160));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(face.darker(200));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

QPixmap plate(int width, int height, const QColor& face, const QString& word, int fontPx, bool bold)
{
    QPixmap pm(width, height);
    QPainter p(&pm);
    drawPlate(p, pm.rect(), face);
    p.setFont(arial(fontPx, bold));
    p.setPen(Qt::white);
    p.drawText(pm.rect(), Qt::AlignCenter, word);
    return pm;
}

class FirstPaint : public QObject {
public:
    FirstPaint(QLabel* label, std::function<QPixmap()> draw) : QObject(label), draw_(std::move(draw))
    {
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && draw_) {
            auto* label = static_cast<QLabel*>(watched);
            label->removeEventFilter(this);
            label->setPixmap(std::exchange(draw_, nullptr)()); // painted by this very paint event
            deleteLater();
        }
        return false;
    }

private:
    std::function<QPixmap()> draw_;
};

} // namespace

void setWhenFirstPainted(QLabel* label, std::function<QPixmap()> draw)
{
    new FirstPaint(label, std::move(draw));
}

QPixmap banner()
{
    QPixmap pm(360, 19);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(arial(16, true));
    p.setPen(QColor(0, 128, 0));
    p.drawText(pm.rect(), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ORV2280/1 EVM Controller"));
    return pm;
}

QPixmap logo()
{
    // Three slanted bars and a rule: a plain mark, no text to lay out.
    QPixmap pm(162, 19);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QColor colours[3] = {QColor(0, 64, 160), QColor(0, 128, 192), QColor(0, 160, 96)};
    for (int i = 0; i < 3; ++i) {
        const int x = 4 + 14 * i;
        p.setBrush(colours[i]);
        p.drawPolygon(QPolygon({QPoint(x + 6, 1), QPoint(x + 14, 1), QPoint(x + 8, 18), QPoint(x, 18)}));
    }
    p.fillRect(QRect(50, 8, 108, 3), QColor(0, 64, 160));
    return pm;
}

QPixmap buttonPlate(const QString& word, int width)
{
    QPixmap pm(width, kButtonPlateHeight);
    QPainter p(&pm);
    const QColor face(72, 72, 72);
    drawPlate(p, pm.rect(), face);
    // Second bevel line, so the plate reads as raised even with its bottom row cut off.
    p.setPen(face.lighter(130));
    p.drawLine(1, 1, width - 2, 1);
    p.setFont(arial(12, true));
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, width, kButtonPlateHeight - 1), Qt::AlignCenter, word);
    return pm;
}

QVector<QPixmap> lamps()
{
    const QColor faces[3] = {Qt::white, QColor(255, 0, 0), QColor(0, 200, 0)};
    const QRgb ground = qRgb(0, 0, 255);
    QVector<QPixmap> out;
    for (const QColor& face : faces) {
        // Drawn without antialiasing on a blue ground, and the blue made
        // transparent afterwards, so no blended edge pixel is left tinted.
        QImage img(16, 16, QImage::Format_ARGB32);
        img.fill(ground);
        QPainter p(&img);
        p.setPen(QColor(64, 64, 64));
        p.setBrush(face);
        p.drawEllipse(1, 1, 13, 13);
        p.setPen(face == Qt::white ? QColor(160, 160, 160) : face.lighter(170));
        p.drawPoint(5, 5);
        p.drawPoint(6, 5);
        p.drawPoint(5, 6);
        p.end();
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if (line[x] == ground) line[x] = qRgba(0, 0, 0, 0);
        }
        out.append(QPixmap::fromImage(img));
    }
    return out;
}

QVector<QPixmap> connectionPlates()
{
    // Shown by the start-up sequence itself: the window's own face (Arial
    // 12 pixels, regular), already loaded by then, keeps them cheap.
    return {plate(72, 19, QColor(200, 0, 0), QStringLiteral("No EVM"), 12, false),
            plate(72, 19, QColor(0, 150, 0), QStringLiteral("Connected"), 12, false)};
}

} // namespace pictures
