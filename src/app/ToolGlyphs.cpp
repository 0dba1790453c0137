// Button pictures drawn on an 18 × 18 grid and scaled to the size asked for.
#include "app/ToolGlyphs.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>
#include <map>

namespace vesk {
namespace {

using Draw = std::function<void(QPainter&)>;

const QColor kInk(40, 40, 40);
const QColor kBlue(30, 90, 190);
const QColor kRed(200, 40, 40);
const QColor kGreen(30, 140, 50);

void Page(QPainter& p, QRectF r)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (double y = r.top() + 3; y < r.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void Arrow(QPainter& p, bool clockwise)
{
    // A bent arrow: an arc over the top with a head at its low end.
    p.setPen(QPen(kBlue, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QRectF arc(3, 4, 12, 11);
    QPainterPath path;
    if (clockwise) {
        path.arcMoveTo(arc, 180);
        path.arcTo(arc, 180, -200);
    } else {
        path.arcMoveTo(arc, 0);
        path.arcTo(arc, 0, 200);
    }
    p.drawPath(path);
    const QPointF tip = clockwise ? QPointF(14.6, 12.5) : QPointF(3.4, 12.5);
    const double dir = clockwise ? -1 : 1;
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF{tip + QPointF(0, 4), tip + QPointF(-4 * dir, -1), tip + QPointF(4 * dir, -1)});
}

void Magnifier(QPainter& p, QPointF centre, double radius)
{
    p.setPen(QPen(kInk, 2.4, Qt::SolidLine, Qt::RoundCap));
    const QPointF handle = centre + QPointF(radius * 0.75, radius * 0.75);
    p.drawLine(handle, handle + QPointF(radius * 0.9, radius * 0.9));
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(QColor(200, 230, 255));
    p.drawEllipse(centre, radius, radius);
}

void Globe(QPainter& p, QPointF c, double r)
{
    p.setPen(QPen(kBlue.darker(130), 1.2));
    p.setBrush(QColor(120, 180, 240));
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r * 0.45, r);
    p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
}

void Label(QPainter& p, QRectF r, const QString& text, QColor colour, int pixelSize, bool bold = true)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

void Browser(QPainter& p, int number)
{
    Globe(p, QPointF(8, 8), 7);
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(255, 220, 60));
    p.drawRect(QRectF(10.5, 9.5, 7, 8));
    Label(p, QRectF(10.5, 9.5, 7, 8), QString::number(number), kInk, 8);
}

const std::map<QString, Draw>& Painters()
{
    static const std::map<QString, Draw> painters = {
        {"OpenBtn",
         [](QPainter& p) {
             p.setPen(QPen(QColor(140, 100, 20), 1));
             p.setBrush(QColor(240, 200, 90));
             p.drawPolygon(QPolygonF{{1, 4}, {6, 4}, {8, 6}, {16, 6}, {16, 15}, {1, 15}});
             p.setBrush(QColor(255, 225, 130));
             p.drawPolygon(QPolygonF{{3, 8.5}, {17.5, 8.5}, {15.5, 15}, {1, 15}});
         }},
        {"SaveBtn",
         [](QPainter& p) {
             p.setPen(QPen(kBlue.darker(150), 1));
             p.setBrush(kBlue);
             p.drawRect(QRectF(1.5, 1.5, 15, 15));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(4, 2, 10, 6));
             p.setBrush(QColor(190, 190, 200));
             p.drawRect(QRectF(5, 11, 8, 5.5));
             p.setBrush(kInk);
             p.drawRect(QRectF(10, 12, 2, 3));
         }},
        {"PrintBtn",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(4.5, 1.5, 9, 6));
             p.setBrush(QColor(170, 170, 175));
             p.drawRect(QRectF(1.5, 7.5, 15, 6));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(4.5, 11.5, 9, 5));
             p.setPen(QColor(0, 170, 0));
             p.drawPoint(QPointF(14, 9.5));
         }},
        {"UndoBtn", [](QPainter& p) { Arrow(p, false); }},
        {"RedoBtn", [](QPainter& p) { Arrow(p, true); }},
        {"CutBtn",
         [](QPainter& p) {
             p.setPen(QPen(QColor(120, 120, 130), 1.6));
             p.drawLine(QPointF(5, 1), QPointF(11.5, 11));
             p.drawLine(QPointF(13, 1), QPointF(6.5, 11));
             p.setPen(QPen(kRed, 1.8));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(5, 13.5), 3, 3);
             p.drawEllipse(QPointF(13, 13.5), 3, 3);
         }},
        {"CopyBtn",
         [](QPainter& p) {
             Page(p, QRectF(1.5, 1.5, 9, 11));
             Page(p, QRectF(7.5, 5.5, 9, 11));
         }},
        {"PasteBtn",
         [](QPainter& p) {
             p.setPen(QPen(QColor(110, 70, 20), 1));
             p.setBrush(QColor(190, 140, 70));
             p.drawRect(QRectF(1.5, 2.5, 12, 14));
             p.setBrush(QColor(200, 200, 200));
             p.drawRect(QRectF(4.5, 1, 6, 3));
             Page(p, QRectF(7.5, 6.5, 9, 10));
         }},
        {"FindBtn", [](QPainter& p) { Magnifier(p, QPointF(7, 7), 5); }},
        {"ReplaceBtn",
         [](QPainter& p) {
             Label(p, QRectF(0, 0, 9, 9), QStringLiteral("a"), kInk, 9);
             Label(p, QRectF(9, 9, 9, 9), QStringLiteral("b"), kRed, 9);
             p.setPen(QPen(kBlue, 1.5));
             p.drawLine(QPointF(5, 11), QPointF(5, 14));
             p.drawLine(QPointF(5, 14), QPointF(9, 14));
             p.drawLine(QPointF(7, 12), QPointF(9, 14));
             p.drawLine(QPointF(7, 16), QPointF(9, 14));
         }},
        {"PictureBtn",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1));
             p.setBrush(QColor(170, 215, 250));
             p.drawRect(QRectF(1.5, 2.5, 15, 13));
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(255, 200, 0));
             p.drawEllipse(QPointF(12.5, 6), 2, 2);
             p.setBrush(kGreen);
             p.drawPolygon(QPolygonF{{2, 15}, {7, 7.5}, {11, 12}, {13, 10}, {16, 15}});
         }},
        {"ColorBtn",
         [](QPainter& p) {
             p.setPen(QPen(QColor(130, 100, 60), 1));
             p.setBrush(QColor(240, 220, 180));
             p.drawEllipse(QRectF(1, 2.5, 16, 13));
             p.setPen(Qt::NoPen);
             const std::pair<QPointF, QColor> dabs[] = {
                 {{5, 6.5}, kRed}, {{9.5, 5}, kGreen}, {{13.5, 7}, kBlue}, {{12.5, 11.5}, QColor(250, 200, 0)}};
             for (const auto& [at, colour] : dabs) {
                 p.setBrush(colour);
                 p.drawEllipse(at, 2, 2);
             }
         }},
        {"SpellBtn",
         [](QPainter& p) {
             Label(p, QRectF(0, 0, 18, 10), QStringLiteral("abc"), kInk, 9);
             p.setPen(QPen(kGreen, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
             p.setBrush(Qt::NoBrush);
             p.drawPolyline(QPolygonF{{4, 13}, {7.5, 16.5}, {15, 9.5}});
         }},
        {"ThesBtn",
         [](QPainter& p) {
             p.setPen(QPen(QColor(90, 20, 20), 1));
             p.setBrush(QColor(170, 40, 40));
             p.drawRect(QRectF(3.5, 1.5, 12, 15));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(3.5, 14.5, 12, 2));
             p.setPen(QColor(240, 210, 120));
             p.drawLine(QPointF(7, 5), QPointF(13, 5));
             p.drawLine(QPointF(7, 7), QPointF(13, 7));
         }},
        {"UpdaterBtn",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(1.5, 2.5, 15, 14));
             p.setBrush(kRed);
             p.drawRect(QRectF(1.5, 2.5, 15, 4));
             Label(p, QRectF(1.5, 6.5, 15, 10), QStringLiteral("31"), kInk, 8);
         }},
        {"ScriptBtn",
         [](QPainter& p) {
             p.setPen(QPen(QColor(150, 130, 0), 1));
             p.setBrush(QColor(247, 223, 30));
             p.drawRect(QRectF(1.5, 1.5, 15, 15));
             Label(p, QRectF(1.5, 3, 15, 14), QStringLiteral("JS"), kInk, 9);
         }},
        {"ValidBtn",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
             p.setBrush(Qt::NoBrush);
             p.drawPolyline(QPolygonF{{4, 4}, {1, 9}, {4, 14}});
             p.drawPolyline(QPolygonF{{14, 4}, {17, 9}, {14, 14}});
             p.setPen(QPen(kGreen, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
             p.drawPolyline(QPolygonF{{5.5, 9}, {8.5, 12.5}, {12.5, 5}});
         }},
        {"UploadBtn",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1));
             p.setBrush(QColor(170, 170, 175));
             p.drawRect(QRectF(1.5, 13.5, 15, 3));
             p.setPen(Qt::NoPen);
             p.setBrush(kGreen);
             p.drawPolygon(QPolygonF{{9, 1}, {15, 7}, {11.5, 7}, {11.5, 12}, {6.5, 12}, {6.5, 7}, {3, 7}});
         }},
        {"PreferBtn",
         [](QPainter& p) {
             for (int i = 0; i < 3; ++i) {
                 const double y = 3.5 + i * 5.5;
                 p.setPen(QPen(kInk, 1.4));
                 p.drawLine(QPointF(1.5, y), QPointF(16.5, y));
                 p.setPen(QPen(kInk, 1));
                 p.setBrush(i == 1 ? kBlue : QColor(230, 230, 230));
                 const double x = i == 0 ? 11 : i == 1 ? 5 : 9;
                 p.drawRect(QRectF(x - 2, y - 2.5, 4, 5));
             }
         }},
        {"Browser1Btn", [](QPainter& p) { Browser(p, 1); }},
        {"Browser2Btn", [](QPainter& p) { Browser(p, 2); }},
        {"Browser3Btn", [](QPainter& p) { Browser(p, 3); }},
        {"Browser4Btn", [](QPainter& p) { Browser(p, 4); }},
        {"ClipDelete",
         [](QPainter& p) {
             p.setPen(QPen(kRed, 2.6, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(4, 4), QPointF(14, 14));
             p.drawLine(QPointF(14, 4), QPointF(4, 14));
         }},
    };
    return painters;
}

} // namespace

QImage ToolGlyph(const QString& name, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 18.0, size / 18.0);
    // The clipper's own buttons share the tool bar's pictures.
    static const std::map<QString, QString> aliases = {
        {"ClipCut", "CutBtn"}, {"ClipCopy", "CopyBtn"}, {"ClipPaste", "PasteBtn"}};
    const auto alias = aliases.find(name);
    const QString key = alias == aliases.end() ? name : alias->second;
    const auto& painters = Painters();
    const auto painter = painters.find(key);
    if (painter != painters.end()) {
        painter->second(p);
    } else {
        p.setPen(kInk);
        p.drawRect(QRectF(2.5, 2.5, 13, 13));
    }
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace vesk
