#pragma once
// A small banded report engine over QPainter: a title band printed once, a column header at the
// top of every page, a detail band once per row of a driving dataset, a summary band after the
// last row, and child bands that follow their parent. Bands have heights, backgrounds and
// frames; hooks before and after each band may switch bands and elements off and on; a band may
// be linked to another so both start on the same page; rich text grows its band and continues
// on the next page. Positions and sizes are in millimetres inside the page margins.
#include "data/currency.h"

#include <QColor>
#include <QFont>
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class Dataset;
class QPagedPaintDevice;
class QPainter;
class QTextDocument;

namespace Report {

struct Sides {
    bool top = false, left = false, bottom = false, right = false;
    static Sides all() { return {true, true, true, true}; }
};

// What elements draw with: the painter and millimetre conversions for the device.
class Canvas {
public:
    Canvas(QPainter& painter, double dotsPerMm) : painter(painter), m_dpmm(dotsPerMm) {}
    double px(double mm) const { return mm * m_dpmm; }
    double mm(double px) const { return px / m_dpmm; }
    QPainter& painter;

private:
    double m_dpmm;
};

// The part of a band being printed: from and to in band millimetres, and the band's height.
struct Slice {
    double from, to, height;
    bool holds(double y) const { return y >= from - 0.01 && y < to - 0.01; }
};

class Element {
public:
    virtual ~Element();
    // Switched off, the element takes no space and prints nothing.
    bool enabled = true;
    // The height the element needs below the band's top (mm); 0 for fixed-size elements.
    virtual double extent(Canvas&) const { return 0; }
    // Draws the element's part inside the slice, in band coordinates; the band has clipped the
    // painter to the slice, but text outside it is left out, so no reader finds it there.
    virtual void draw(Canvas& canvas, const Slice& slice) const = 0;
    // For elements that grow: the largest cut at or below limit (band mm) that splits no line.
    virtual double cutBefore(Canvas&, double limit) const { return limit; }
    virtual bool grows() const { return false; }
};

enum class Align { Left, Center, Right };

// Fixed text, a field, or any expression: the text is asked for when the band prints. With a
// width, the whole text prints inside it: in a smaller font when it is too wide, down to
// MinPoints, and wrapped over lines at that size beyond; the lines grow the band, and a band is
// never cut between them. A text kept whole (an amount) is never wrapped: it only shrinks.
class Text : public Element {
public:
    static constexpr double MinPoints = 8;

    Text(double x, double y, double width, std::function<QString()> value, QFont font,
         Align align = Align::Left)
        : m_x(x), m_y(y), m_width(width), m_value(std::move(value)), m_font(std::move(font)),
          m_align(align) {}
    double extent(Canvas& canvas) const override;
    void draw(Canvas& canvas, const Slice& slice) const override;
    double cutBefore(Canvas& canvas, double limit) const override;
    bool grows() const override { return m_width > 0 || m_until > 0; }
    QString text() const { return m_value(); }
    // An amount read as one word: split over lines it would no longer read as a number.
    void keepWhole() { m_whole = true; }
    // Placed right after another text of the same band (a label); with until, the text keeps
    // left of that edge (band mm).
    void follow(const Text* label, double until = 0) {
        m_after = label;
        m_until = until;
    }
    // The left edge and the right end of the text as printed (mm).
    double left(Canvas& canvas) const;
    double right(Canvas& canvas) const;

private:
    struct Fit {
        QFont font;
        QStringList lines;
        double lineHeight; // mm
    };
    double width(Canvas& canvas) const; // mm; 0: as wide as the text
    Fit fit(Canvas& canvas) const;

    double m_x, m_y, m_width;
    const Text* m_after = nullptr;
    double m_until = 0;
    bool m_whole = false;
    std::function<QString()> m_value;
    QFont m_font;
    Align m_align;
};

// A line; a y of -1 stands for the band's bottom edge.
class Line : public Element {
public:
    Line(double x1, double y1, double x2, double y2) : m_x1(x1), m_y1(y1), m_x2(x2), m_y2(y2) {}
    void draw(Canvas& canvas, const Slice& slice) const override;

private:
    double m_x1, m_y1, m_x2, m_y2;
};

class Box : public Element {
public:
    Box(double x, double y, double width, double height)
        : m_x(x), m_y(y), m_width(width), m_height(height) {}
    void draw(Canvas& canvas, const Slice& slice) const override;

private:
    double m_x, m_y, m_width, m_height;
};

// Plain text of any length, wrapped to a width: it grows its band, and a band too long for the
// rest of the page continues on the next one, cut between lines.
class FlowText : public Element {
public:
    FlowText(double x, double y, double width, std::function<QString()> value, QFont font);
    ~FlowText() override;
    double extent(Canvas& canvas) const override;
    void draw(Canvas& canvas, const Slice& slice) const override;
    double cutBefore(Canvas& canvas, double limit) const override;
    bool grows() const override { return true; }

private:
    void layout(Canvas& canvas) const;

    double m_x, m_y, m_width;
    std::function<QString()> m_value;
    QFont m_font;
    mutable std::unique_ptr<QTextDocument> m_doc;
    mutable std::vector<double> m_lineBottoms; // mm below the text's top
};

class Band {
public:
    enum class Kind { Title, ColumnHeader, Detail, Summary, Child };

    Band(Kind kind, QString name, double height)
        : kind(kind), name(std::move(name)), height(height) {}

    template <class E, class... Args> E* add(Args&&... args) {
        m_elements.push_back(std::make_unique<E>(std::forward<Args>(args)...));
        return static_cast<E*>(m_elements.back().get());
    }
    const std::vector<std::unique_ptr<Element>>& elements() const { return m_elements; }

    const Kind kind;
    const QString name;
    double height; // mm; the least height when an element grows
    QColor background = Qt::white;
    Sides frame;
    bool enabled = true;
    Band* child = nullptr;
    // Starts a new page unless the page also has room for this band.
    Band* link = nullptr;
    std::function<void()> beforePrint;
    std::function<void()> afterPrint;

private:
    std::vector<std::unique_ptr<Element>> m_elements;
};

class Document {
public:
    Document();
    ~Document();

    // A4 landscape with 10 mm margins unless set otherwise.
    QPageLayout pageLayout;

    Band* addBand(Band::Kind kind, const QString& name, double height);
    // Creates a child band printed right after the parent.
    Band* addChild(Band* parent, const QString& name, double height);
    // The rows the detail band walks, from the first to the end; none: no detail rows.
    void setDataset(Dataset* dataset) { m_dataset = dataset; }

    // The total of a value over the detail rows printed, exact to the ten-thousandth however
    // far it goes beyond what one amount holds.
    class Sum {
    public:
        const Currency::Sum& value() const { return m_total; }

    private:
        friend class Document;
        std::function<Currency()> m_read;
        Currency::Sum m_total;
    };
    Sum* addSum(std::function<Currency()> read);

    // Gives the device the report's page layout.
    void setUp(QPagedPaintDevice& device) const;
    // Prints every band onto the device in its page layout; returns the pages printed.
    int print(QPagedPaintDevice& device);

private:
    struct Run;
    void printBand(Run& run, Band* band);
    void printColumnHeader(Run& run);
    void newPage(Run& run);
    double measure(Run& run, const Band& band) const;
    void drawPart(Run& run, const Band& band, double from, double to, double total) const;

    std::vector<std::unique_ptr<Band>> m_bands;
    std::vector<std::unique_ptr<Sum>> m_sums;
    Dataset* m_dataset = nullptr;
};

// The fonts of printed records: a serif CJK face stands for 宋体 and 隶书.
QFont songti(double points, bool bold = false);
QFont lishu(double points, bool bold = false);
QFont arial(double points);

} // namespace Report
