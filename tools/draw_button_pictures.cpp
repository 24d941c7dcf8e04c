// Draws the main window's button pictures (copy, open website) as PNGs at 16 and 32 pixels into the folder
// given, for the window's resource file. Run by hand when the pictures change:
//   cmake --build build --target draw_button_pictures && build/tools/draw_button_pictures src/ui/resources
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

// Dark outlines and white paper: the pictures sit on the buttons' fixed silver in every desktop theme.
const QColor kInk(0x20, 0x20, 0x20);
const QColor kPaper(Qt::white);
const QColor kArrow(0x10, 0x50, 0xA0);

// A page with a folded corner and three lines of text, in a 16 x 16 grid.
void page(QPainter& p, const QRectF& r)
{
    QPainterPath outline;
    const double fold = 3;
    outline.moveTo(r.left(), r.top());
    outline.lineTo(r.right() - fold, r.top());
    outline.lineTo(r.right(), r.top() + fold);
    outline.lineTo(r.right(), r.bottom());
    outline.lineTo(r.left(), r.bottom());
    outline.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(outline);
    for (double y = r.top() + 3; y < r.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

// Copy: two pages, the copy in front of and below the original.
void copy(QPainter& p)
{
    page(p, QRectF(1.5, 1.5, 8, 10));
    page(p, QRectF(6.5, 4.5, 8, 10));
}

// Open website: a window with an arrow leaving it towards the top right.
void openWebsite(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 4.5, 10, 10));
    p.setPen(QPen(kArrow, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(6, 10), QPointF(13.5, 2.5));
    p.setBrush(kArrow);
    p.drawPolygon(QPolygonF({QPointF(9, 2), QPointF(14, 2), QPointF(14, 7)}));
}

bool draw(const QString& folder, const char* name, const std::function<void(QPainter&)>& picture)
{
    for (int size : {16, 32}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        picture(p);
        p.end();
        const QString suffix = size == 16 ? QString() : QStringLiteral("@2x");
        const QString file = QStringLiteral("%1/%2%3.png").arg(folder, QString::fromLatin1(name), suffix);
        if (!image.save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_button_pictures FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    return draw(folder, "copy", copy) && draw(folder, "open-website", openWebsite) ? 0 : 1;
}
