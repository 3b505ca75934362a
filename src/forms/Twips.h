#pragma once

#include <QRect>

class QWidget;

// The windows are designed in twips, 1440 to an inch, and their forms keep
// that design in pixels at 96 dots per inch, 15 twips a pixel. Twips puts it
// on a screen of another logical DPI (larger text) in proportion, so the
// captions, whose fonts are in points, keep their room; at 96 DPI nothing
// moves.
class Twips {
public:
    // dotsPerInch: the logical DPI of the window's screen.
    explicit Twips(int dotsPerInch);

    // A length in twips as pixels at this DPI, rounded to the nearest.
    int toPixels(int twips) const;

    // Places a window loaded from its form at this DPI: its size, every
    // widget inside it, and the pixel lengths of their style sheets.
    void placeForm(QWidget& window) const;

    static constexpr int TwipsPerInch = 1440;
    static constexpr int TwipsPerFormPixel = 15;

private:
    // A form's pixel figure (15 twips) as pixels at this DPI.
    int fromForm(int pixels) const { return toPixels(pixels * TwipsPerFormPixel); }
    // Each edge is converted on its own, so controls that meet in the form
    // still meet, and none overlaps its neighbour.
    QRect fromForm(const QRect& rect) const;
    void placeChildren(QWidget& parent) const;
    QString styleSheet(const QString& sheet) const;

    int m_dotsPerInch;
};
