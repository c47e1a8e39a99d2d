// Draws the slate theme's images and the application icon. Run it with the
// resources folder as its argument after changing a drawing; the PNGs it
// writes are committed beside the style sheet.

#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

const QColor gold(230, 179, 41);
const QColor goldLight(250, 204, 80);
const QColor goldDark(203, 152, 14);

QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

bool save(const QImage &image, const QString &path)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "imagegen: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%dx%d)\n", qPrintable(path), image.width(), image.height());
    return true;
}

// A brushed dark slate: horizontal streaks of slightly varying brightness.
// The generator is seeded, so every run draws the same tile.
QImage background()
{
    QImage image(858, 14, QImage::Format_RGB32);
    quint32 seed = 0x5EED1234u;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 24) & 0xFF);
    };
    for (int y = 0; y < image.height(); ++y) {
        const int rowShade = next() % 3;
        int streak = 0;
        for (int x = 0; x < image.width(); ++x) {
            if (x % 6 == 0)
                streak = next() % 5 - 2;
            const int shade = 40 + rowShade + streak;
            image.setPixel(x, y, qRgb(shade, shade + 3, shade + 6));
        }
    }
    return image;
}

enum class State { Normal, Hover, Pressed, Disabled };

QString suffix(State state)
{
    switch (state) {
    case State::Hover:
        return QStringLiteral("-hover");
    case State::Pressed:
        return QStringLiteral("-pressed");
    case State::Disabled:
        return QStringLiteral("-disabled");
    case State::Normal:
        break;
    }
    return QString();
}

// The colours of a raised box: gradient from top to bottom, and its outline.
struct BoxColours
{
    QColor top, bottom, border;
};

void roundedBox(QPainter &p, const QRectF &box, qreal radius, const BoxColours &colours)
{
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, colours.top);
    fill.setColorAt(1, colours.bottom);
    p.setPen(QPen(colours.border, 1));
    p.setBrush(fill);
    p.drawRoundedRect(box, radius, radius);
}

QImage checkBox(bool checked, State state)
{
    QImage image = canvas(19, 19);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(1.5, 1.5, 16, 16);

    QColor top(72, 72, 72), bottom(44, 44, 44), border(18, 18, 18);
    if (state == State::Hover) {
        top = QColor(92, 92, 92);
        bottom = QColor(58, 58, 58);
    } else if (state == State::Pressed) {
        top = QColor(34, 34, 34);
        bottom = QColor(52, 52, 52);
    } else if (state == State::Disabled) {
        top = QColor(46, 46, 46);
        bottom = QColor(38, 38, 38);
        border = QColor(28, 28, 28);
    }
    roundedBox(p, box, 3, {top, bottom, border});
    if (state != State::Disabled && state != State::Pressed) {
        p.setPen(QPen(QColor(255, 255, 255, 40), 1));
        p.drawLine(QPointF(4, 2.5), QPointF(15, 2.5));
    }

    if (checked) {
        QPainterPath tick;
        tick.moveTo(5, 9.5);
        tick.lineTo(8, 12.5);
        tick.lineTo(14, 5.5);
        const QColor mark = state == State::Disabled ? QColor(110, 96, 60) : gold;
        p.setPen(QPen(mark, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    }
    return image;
}

// A border image: the style sheet stretches its middle and keeps 4 px edges.
QImage button(State state)
{
    QImage image = canvas(32, 24);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0.5, 0.5, 31, 23);

    QColor top(86, 86, 86), bottom(54, 54, 54), border(20, 20, 20), shine(255, 255, 255, 45);
    if (state == State::Hover) {
        top = QColor(104, 104, 104);
        bottom = QColor(64, 64, 64);
        shine.setAlpha(60);
    } else if (state == State::Pressed) {
        top = QColor(40, 40, 40);
        bottom = QColor(58, 58, 58);
        shine.setAlpha(0);
    } else if (state == State::Disabled) {
        top = QColor(52, 52, 52);
        bottom = QColor(44, 44, 44);
        border = QColor(30, 30, 30);
        shine.setAlpha(12);
    }
    roundedBox(p, box, 4, {top, bottom, border});
    p.setPen(QPen(shine, 1));
    p.drawLine(QPointF(4, 1.5), QPointF(28, 1.5));
    return image;
}

QImage comboArrow()
{
    QImage image = canvas(9, 6);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(206, 206, 206));
    p.drawPolygon(QPolygonF({QPointF(0, 0.5), QPointF(9, 0.5), QPointF(4.5, 5.5)}));
    return image;
}

// A rounded knob with a pointer at its foot, lit from above.
QImage sliderHandle(int width, int height, State state)
{
    QImage image = canvas(width, height);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = width, h = height;
    const qreal s = w / 12.0;

    QPainterPath shape;
    shape.moveTo(1.5 * s, 1.5 * s);
    shape.lineTo(w - 1.5 * s, 1.5 * s);
    shape.lineTo(w - 1.5 * s, h - 5.0 * s);
    shape.lineTo(w / 2, h - 0.8 * s);
    shape.lineTo(1.5 * s, h - 5.0 * s);
    shape.closeSubpath();

    QColor top(236, 236, 236), bottom(160, 160, 160), border(22, 22, 22);
    if (state == State::Hover) {
        top = QColor(255, 255, 255);
        bottom = QColor(190, 190, 190);
    } else if (state == State::Pressed) {
        top = goldLight;
        bottom = goldDark;
    } else if (state == State::Disabled) {
        top = QColor(96, 96, 96);
        bottom = QColor(70, 70, 70);
        border = QColor(30, 30, 30);
    }
    QLinearGradient fill(0, 0, 0, h);
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setPen(QPen(border, s));
    p.setBrush(fill);
    p.drawPath(shape);
    // A groove down the middle lets the eye find the exact position.
    p.setPen(QPen(QColor(0, 0, 0, state == State::Disabled ? 50 : 90), s));
    p.drawLine(QPointF(w / 2, 4 * s), QPointF(w / 2, h - 5 * s));
    return image;
}

QImage menuCheckMark()
{
    QImage image = canvas(12, 12);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tick;
    tick.moveTo(1.5, 6.5);
    tick.lineTo(4.5, 9.5);
    tick.lineTo(10.5, 2.5);
    p.setPen(QPen(gold, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    return image;
}

// A glass prism on a slate tile, splitting a white beam into a spectrum.
QImage applicationIcon()
{
    QImage image = canvas(256, 256);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF tile(8, 8, 240, 240);
    QLinearGradient slate(tile.topLeft(), tile.bottomLeft());
    slate.setColorAt(0, QColor(66, 72, 77));
    slate.setColorAt(1, QColor(30, 34, 37));
    p.setPen(QPen(QColor(14, 14, 14), 4));
    p.setBrush(slate);
    p.drawRoundedRect(tile, 40, 40);

    const QPointF apex(118, 52), left(52, 190), right(184, 190);
    const QPointF entry(85, 121), exit(151, 121);

    p.setPen(QPen(QColor(245, 245, 245), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(22, 150), entry);

    const QColor spectrum[] = {QColor(235, 56, 56), QColor(245, 150, 40), goldLight,
                               QColor(80, 200, 90), QColor(60, 140, 240), QColor(140, 80, 220)};
    const int bands = int(sizeof spectrum / sizeof spectrum[0]);
    for (int i = 0; i < bands; ++i) {
        const qreal a0 = 118 + i * 14, a1 = a0 + 14;
        QPainterPath band;
        band.moveTo(exit + QPointF(0, (i - bands / 2.0) * 2.0));
        band.lineTo(QPointF(234, a0));
        band.lineTo(QPointF(234, a1));
        band.lineTo(exit + QPointF(0, (i + 1 - bands / 2.0) * 2.0));
        band.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(spectrum[i]);
        p.drawPath(band);
    }

    QPainterPath prism;
    prism.moveTo(apex);
    prism.lineTo(right);
    prism.lineTo(left);
    prism.closeSubpath();
    QLinearGradient glass(left, apex);
    glass.setColorAt(0, QColor(200, 220, 235, 150));
    glass.setColorAt(1, QColor(255, 255, 255, 210));
    p.setBrush(glass);
    p.setPen(QPen(QColor(250, 250, 250), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(prism);
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resources folder>\n", argv[0]);
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    const QString slate = root.filePath(QStringLiteral("media/slate"));
    const QString icons = root.filePath(QStringLiteral("icons"));
    if (!QDir().mkpath(slate) || !QDir().mkpath(icons)) {
        std::fprintf(stderr, "imagegen: cannot create the folders under %s\n", argv[1]);
        return 1;
    }
    const auto inSlate = [&slate](const QString &name) { return slate + QLatin1Char('/') + name; };

    bool ok = save(background(), inSlate(QStringLiteral("background.png")));
    for (State state : {State::Normal, State::Hover, State::Pressed, State::Disabled}) {
        const QString tail = suffix(state) + QStringLiteral(".png");
        ok &= save(checkBox(false, state), inSlate(QStringLiteral("checkbox") + tail));
        ok &= save(checkBox(true, state), inSlate(QStringLiteral("checkbox-checked") + tail));
        ok &= save(button(state), inSlate(QStringLiteral("button") + tail));
        ok &= save(sliderHandle(12, 13, state), inSlate(QStringLiteral("slider-handle") + tail));
        ok &= save(sliderHandle(24, 26, state), inSlate(QStringLiteral("slider-handle-big") + tail));
    }
    ok &= save(comboArrow(), inSlate(QStringLiteral("combobox-icon.png")));
    ok &= save(menuCheckMark(), inSlate(QStringLiteral("checkmark.png")));
    ok &= save(applicationIcon(), icons + QStringLiteral("/prismorest.png"));
    return ok ? 0 : 1;
}
