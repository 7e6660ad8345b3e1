#include "groupboxstyle.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionGroupBox>
#include <qdrawutil.h>

namespace {

constexpr int kCaptionIndent = 8; // from the frame's left edge to the caption's gap
constexpr int kCaptionPad = 2;    // gap in the line either side of the text
constexpr int kContentsMargin = 3;

// A titled group box drawn as on the desktop the layout was made for: an
// etched frame whose top line runs through the middle of the caption, broken
// where the caption stands. Checkable group boxes are left to the base style.
class GroupBoxStyle : public QProxyStyle {
public:
    QRect subControlRect(ComplexControl cc, const QStyleOptionComplex* opt, SubControl sc,
                         const QWidget* w) const override
    {
        const auto* box = ours(cc, opt);
        if (!box) return QProxyStyle::subControlRect(cc, opt, sc, w);
        const QRect caption = captionRect(*box);
        switch (sc) {
        case SC_GroupBoxLabel:
            return caption;
        case SC_GroupBoxFrame:
            return box->rect.adjusted(0, caption.isEmpty() ? 0 : caption.center().y(), 0, 0);
        case SC_GroupBoxContents:
            return box->rect.adjusted(kContentsMargin, std::max(kContentsMargin, caption.bottom() + 1),
                                      -kContentsMargin, -kContentsMargin);
        default:
            return QProxyStyle::subControlRect(cc, opt, sc, w);
        }
    }

    void drawComplexControl(ComplexControl cc, const QStyleOptionComplex* opt, QPainter* p,
                            const QWidget* w) const override
    {
        const auto* box = ours(cc, opt);
        if (!box) {
            QProxyStyle::drawComplexControl(cc, opt, p, w);
            return;
        }
        const QRect caption = subControlRect(cc, opt, SC_GroupBoxLabel, w);
        if (box->subControls & SC_GroupBoxFrame) {
            p->save();
            QRegion outside(box->rect);
            if (!caption.isEmpty()) outside -= caption;
            p->setClipRegion(outside);
            qDrawShadeRect(p, subControlRect(cc, opt, SC_GroupBoxFrame, w), box->palette, true, 1, 0);
            p->restore();
        }
        if ((box->subControls & SC_GroupBoxLabel) && !caption.isEmpty()) {
            p->save();
            const bool enabled = box->state & State_Enabled;
            p->setPen(enabled && box->textColor.isValid()
                          ? box->textColor
                          : box->palette.color(enabled ? QPalette::Active : QPalette::Disabled,
                                               QPalette::WindowText));
            int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
            if (!styleHint(SH_UnderlineShortcut, opt, w)) flags |= Qt::TextHideMnemonic;
            p->drawText(caption, flags, box->text);
            p->restore();
        }
    }

private:
    static const QStyleOptionGroupBox* ours(ComplexControl cc, const QStyleOptionComplex* opt)
    {
        const auto* box = cc == CC_GroupBox ? qstyleoption_cast<const QStyleOptionGroupBox*>(opt) : nullptr;
        return box && !(box->subControls & SC_GroupBoxCheckBox) ? box : nullptr;
    }

    // The caption with its gap, one text line high at the top of the box.
    static QRect captionRect(const QStyleOptionGroupBox& box)
    {
        if (box.text.isEmpty()) return {};
        const int room = std::max(0, box.rect.width() - 2 * kCaptionIndent);
        const int width =
            std::min(room, box.fontMetrics.size(Qt::TextShowMnemonic, box.text).width() + 2 * kCaptionPad);
        const Qt::Alignment align = QStyle::visualAlignment(box.direction, box.textAlignment);
        const int left = align & Qt::AlignHCenter ? (box.rect.width() - width) / 2
                         : align & Qt::AlignRight ? box.rect.width() - kCaptionIndent - width
                                                  : kCaptionIndent;
        return QRect(box.rect.left() + left, box.rect.top(), width, box.fontMetrics.height());
    }
};

} // namespace

void frameThroughCaption(QGroupBox* box)
{
    static QPointer<GroupBoxStyle> style;
    if (!style) {
        style = new GroupBoxStyle;
        style->setParent(QCoreApplication::instance()); // one for all boxes, gone with the application
    }
    box->setStyle(style);
}
