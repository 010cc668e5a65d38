#include "report.h"

#include "data/dataset.h"

#include <QAbstractTextDocumentLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

namespace Report {

namespace {

// Room left under a growing element inside its band.
constexpr double GrowPadding = 1.5;
// The smallest size a text kept whole shrinks to.
constexpr double LeastPoints = 2;

Qt::Alignment toQt(Align a) {
    switch (a) {
    case Align::Center:
        return Qt::AlignHCenter;
    case Align::Right:
        return Qt::AlignRight;
    case Align::Left:
        break;
    }
    return Qt::AlignLeft;
}

QPen thinPen(const Canvas& c) {
    QPen pen(Qt::black);
    pen.setWidthF(c.px(0.25));
    return pen;
}

} // namespace

Element::~Element() = default;

namespace {
// Shaping would put in glyphs that the font's character map does not reach (digits after a
// Latin letter in the CJK faces), and a PDF reader could not tell their text.
QFont plainFont(const QStringList& families, double points, bool bold) {
    QFont f;
    f.setFamilies(families);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}
} // namespace

// Faces whose character map gives every ideograph a glyph of its own: in faces that share one
// glyph between an ideograph and its Kangxi radical (the Noto CJK faces), the PDF's text layer
// names the radical, and a search for 金 or 民 in the printed record finds nothing.
QFont songti(double points, bool bold) {
    return plainFont({QStringLiteral("SimSun"), QStringLiteral("AR PL UMing CN"),
                      QStringLiteral("Noto Serif CJK SC")},
                     points, bold);
}

QFont lishu(double points, bool bold) {
    return plainFont({QStringLiteral("LiSu"), QStringLiteral("AR PL UMing CN"),
                      QStringLiteral("Noto Serif CJK SC")},
                     points, bold);
}

// A sans face that has the Chinese glyphs itself: text drawn through a fallback face comes out
// misshapen in the print preview.
QFont arial(double points) {
    return plainFont({QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC")},
                     points, false);
}

// ---------------------------------------------------------------- elements

double Text::left(Canvas& c) const {
    return m_after ? m_after->right(c) : m_x;
}

double Text::right(Canvas& c) const {
    const QFontMetricsF fm(m_font, c.painter.device());
    return left(c) + c.mm(fm.horizontalAdvance(m_value()));
}

double Text::width(Canvas& c) const {
    return m_until > 0 ? std::max(0.0, m_until - left(c)) : m_width;
}

Text::Fit Text::fit(Canvas& c) const {
    const QString s = m_value();
    QFont font = m_font;
    const double room = c.px(width(c));
    auto fits = [&] {
        return QFontMetricsF(font, c.painter.device()).horizontalAdvance(s) <= room;
    };
    // a text kept whole goes on shrinking, though no smaller than a printer can still draw
    const double least = m_whole ? LeastPoints : MinPoints;
    while (room > 0 && !fits() && font.pointSizeF() - 0.5 >= least)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    const QFontMetricsF fm(font, c.painter.device());
    Fit out{font, {s}, c.mm(fm.height())};
    if (room <= 0 || m_whole || fits())
        return out;
    out.lines.clear();
    QTextLayout layout(s, font, c.painter.device());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(room);
        out.lines << s.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return out;
}

double Text::extent(Canvas& c) const {
    if (!grows())
        return 0;
    const Fit f = fit(c);
    return f.lines.size() > 1 ? m_y + f.lines.size() * f.lineHeight + GrowPadding : 0;
}

double Text::cutBefore(Canvas& c, double limit) const {
    const double bottom = extent(c);
    return limit > m_y && limit < bottom ? 0 : limit; // lines of a cell stay together
}

void Text::draw(Canvas& c, const Slice& slice) const {
    const QString s = m_value();
    if (s.isEmpty() || !slice.holds(m_y))
        return;
    const Fit f = fit(c);
    c.painter.setFont(f.font);
    c.painter.setPen(Qt::black);
    const QFontMetricsF fm(f.font, c.painter.device());
    const double given = width(c);
    const double w = given > 0 ? c.px(given) : fm.horizontalAdvance(s) + 2;
    double left = c.px(this->left(c));
    if (given <= 0 && m_align == Align::Center)
        left -= w / 2;
    else if (given <= 0 && m_align == Align::Right)
        left -= w;
    // a smaller font keeps the middle of the line where the text's own font has it
    double y = c.px(m_y);
    if (f.lines.size() == 1)
        y += (QFontMetricsF(m_font, c.painter.device()).height() - fm.height()) / 2;
    for (const QString& line : f.lines) {
        c.painter.drawText(QRectF(left, y, w, fm.height()),
                           int(toQt(m_align) | Qt::AlignTop | Qt::TextSingleLine), line);
        y += fm.height();
    }
}

void Line::draw(Canvas& c, const Slice& slice) const {
    c.painter.setPen(thinPen(c));
    const double y2 = m_y2 < 0 ? slice.height : m_y2;
    c.painter.drawLine(QPointF(c.px(m_x1), c.px(m_y1)), QPointF(c.px(m_x2), c.px(y2)));
}

void Box::draw(Canvas& c, const Slice&) const {
    c.painter.setPen(thinPen(c));
    c.painter.setBrush(Qt::NoBrush);
    c.painter.drawRect(QRectF(c.px(m_x), c.px(m_y), c.px(m_width), c.px(m_height)));
}

FlowText::FlowText(double x, double y, double width, std::function<QString()> value, QFont font)
    : m_x(x), m_y(y), m_width(width), m_value(std::move(value)), m_font(std::move(font)) {}

FlowText::~FlowText() = default;

// Lays the text out for the canvas's device, once per printing of its band.
void FlowText::layout(Canvas& c) const {
    m_doc = std::make_unique<QTextDocument>();
    m_doc->documentLayout()->setPaintDevice(c.painter.device());
    m_doc->setDocumentMargin(0);
    m_doc->setDefaultFont(m_font);
    m_doc->setPlainText(m_value()); // the user's text, never read as markup
    m_doc->setTextWidth(c.px(m_width));
    m_lineBottoms.clear();
    auto* layout = m_doc->documentLayout();
    for (QTextBlock b = m_doc->begin(); b.isValid(); b = b.next()) {
        const double top = layout->blockBoundingRect(b).top();
        const QTextLayout* tl = b.layout();
        for (int i = 0; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            m_lineBottoms.push_back(c.mm(top + line.y() + line.height()));
        }
    }
}

double FlowText::extent(Canvas& c) const {
    layout(c);
    return m_y + (m_lineBottoms.empty() ? 0 : m_lineBottoms.back()) + GrowPadding;
}

double FlowText::cutBefore(Canvas&, double limit) const {
    double cut = 0; // not even the first line: the band moves on as a whole
    for (double bottom : m_lineBottoms) {
        if (m_y + bottom > limit)
            break;
        cut = m_y + bottom;
    }
    return cut;
}

void FlowText::draw(Canvas& c, const Slice& slice) const {
    if (!m_doc)
        return;
    c.painter.setPen(Qt::black);
    auto* layout = m_doc->documentLayout();
    const QPointF origin(c.px(m_x), c.px(m_y));
    for (QTextBlock b = m_doc->begin(); b.isValid(); b = b.next()) {
        const QPointF blockTop = origin + layout->blockBoundingRect(b).topLeft();
        const QTextLayout* tl = b.layout();
        for (int i = 0; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            if (slice.holds(m_y + c.mm(blockTop.y() - origin.y() + line.y())))
                line.draw(&c.painter, blockTop);
        }
    }
}

// ---------------------------------------------------------------- report

struct Document::Run {
    QPagedPaintDevice& device;
    QPainter painter;
    Canvas canvas;
    double pageHeight;
    double pageWidth;
    double y = 0;
    int pages = 1;
    bool bodyOnPage = false; // anything but the column header printed on this page
    Band* columnHeader = nullptr;

    Run(QPagedPaintDevice& d, double dpmm, double height, double width)
        : device(d), painter(&d), canvas(painter, dpmm), pageHeight(height), pageWidth(width) {}
};

Document::Document()
    : pageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                 QPageLayout::Millimeter) {}

Document::~Document() = default;

Band* Document::addBand(Band::Kind kind, const QString& name, double height) {
    m_bands.push_back(std::make_unique<Band>(kind, name, height));
    return m_bands.back().get();
}

Document::Sum* Document::addSum(std::function<Currency()> read) {
    m_sums.push_back(std::make_unique<Sum>());
    m_sums.back()->m_read = std::move(read);
    return m_sums.back().get();
}

Band* Document::addChild(Band* parent, const QString& name, double height) {
    Band* child = addBand(Band::Kind::Child, name, height);
    parent->child = child;
    return child;
}

void Document::setUp(QPagedPaintDevice& device) const {
    device.setPageLayout(pageLayout);
}

int Document::print(QPagedPaintDevice& device) {
    const QRectF paint = device.pageLayout().paintRect(QPageLayout::Millimeter);
    const double dpmm = device.logicalDpiX() / 25.4;
    Run run(device, dpmm, paint.height(), paint.width());
    if (!run.painter.isActive())
        return 0;
    run.painter.setRenderHint(QPainter::Antialiasing);

    auto first = [this](Band::Kind kind) -> Band* {
        for (auto& b : m_bands)
            if (b->kind == kind)
                return b.get();
        return nullptr;
    };
    run.columnHeader = first(Band::Kind::ColumnHeader);
    Band* detail = first(Band::Kind::Detail);
    for (auto& sum : m_sums)
        sum->m_total = Currency::Sum();
    // bound controls stay still while the rows are walked, whatever way the walk ends
    struct Still {
        Dataset* ds;
        ~Still() {
            if (ds)
                ds->enableControls();
        }
    } still{m_dataset};
    if (m_dataset) {
        m_dataset->disableControls();
        m_dataset->first();
    }
    if (Band* title = first(Band::Kind::Title))
        printBand(run, title);
    printColumnHeader(run);
    if (detail && m_dataset)
        for (; !m_dataset->eof(); m_dataset->next())
            printBand(run, detail);
    if (Band* summary = first(Band::Kind::Summary))
        printBand(run, summary);
    run.painter.end();
    return run.pages;
}

void Document::printColumnHeader(Run& run) {
    if (!run.columnHeader)
        return;
    const bool body = run.bodyOnPage;
    printBand(run, run.columnHeader);
    run.bodyOnPage = body;
}

void Document::newPage(Run& run) {
    run.device.newPage();
    ++run.pages;
    run.y = 0;
    run.bodyOnPage = false;
    printColumnHeader(run);
}

double Document::measure(Run& run, const Band& band) const {
    double h = band.height;
    for (const auto& e : band.elements())
        if (e->enabled)
            h = std::max(h, e->extent(run.canvas));
    return h;
}

void Document::printBand(Run& run, Band* band) {
    if (band->beforePrint)
        band->beforePrint();
    if (band->enabled) {
        const double total = measure(run, *band);
        const bool isHeader = band == run.columnHeader;
        // a linked band starts where the band it is kept with also fits
        const double together =
            band->height + (band->link && band->link->enabled ? band->link->height : 0);
        const bool grows = total > band->height;
        const double needed = grows ? together : std::max(total, together);
        if (!isHeader && run.bodyOnPage && run.y + needed > run.pageHeight)
            newPage(run);
        double from = 0;
        while (from < total) {
            double to = total;
            if (run.y + (to - from) > run.pageHeight && !isHeader) {
                to = from + (run.pageHeight - run.y);
                for (const auto& e : band->elements())
                    if (e->enabled && e->grows())
                        to = std::min(to, std::max(from, e->cutBefore(run.canvas, to)));
                if (to <= from) {
                    if (!run.bodyOnPage)
                        to = total; // nothing fits on an empty page: print it cut off
                    else {
                        newPage(run);
                        continue;
                    }
                }
            }
            drawPart(run, *band, from, to, total);
            run.y += to - from;
            if (!isHeader)
                run.bodyOnPage = true;
            from = to;
            if (from < total)
                newPage(run);
        }
        if (band->kind == Band::Kind::Detail)
            for (auto& sum : m_sums)
                sum->m_total += sum->m_read();
    }
    if (band->afterPrint)
        band->afterPrint();
    if (band->child)
        printBand(run, band->child);
}

// Draws the band's slice [from, to) at the current position, framed; a band cut in parts is
// framed around each part.
void Document::drawPart(Run& run, const Band& band, double from, double to, double total) const {
    Canvas& c = run.canvas;
    QPainter& p = c.painter;
    const QRectF rect(0, c.px(run.y), c.px(run.pageWidth), c.px(to - from));
    p.save();
    p.fillRect(rect, band.background);
    p.setClipRect(rect);
    p.translate(0, c.px(run.y - from));
    const Slice slice{from, to, total};
    for (const auto& e : band.elements())
        if (e->enabled)
            e->draw(c, slice);
    p.restore();

    p.save();
    p.setPen(thinPen(c));
    const bool cutAbove = from > 0, cutBelow = to < total;
    if (band.frame.top || (cutAbove && band.frame.bottom))
        p.drawLine(rect.topLeft(), rect.topRight());
    if (band.frame.bottom || (cutBelow && band.frame.top))
        p.drawLine(rect.bottomLeft(), rect.bottomRight());
    if (band.frame.left)
        p.drawLine(rect.topLeft(), rect.bottomLeft());
    if (band.frame.right)
        p.drawLine(rect.topRight(), rect.bottomRight());
    p.restore();
}

} // namespace Report
