// Draws the main window's pictures into the folder given as argument:
//   bandeau.jpg                330 x 53  the maker's name, blue on white
//   connexion_appareil_pc.jpg  362 x 193 the device, its red cable and the PC (which starts right of
//                                        column 226, so that the narrow frame shows no PC)
//   icone_fenetre.jpg          32 x 32   a red and orange burst on a dark background
// Built on demand: cmake --build <build> --target zantrel_dessine_images, then
//   QT_QPA_PLATFORM=offscreen <build>/wizard/zantrel_dessine_images resources
#include <cmath>
#include <cstdio>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>

namespace {

const QColor BLEU(0x12, 0x3c, 0x8c);
const QColor CIEL(0x3a, 0x8f, 0xd8);
// The window's button face, so that the picture melts into the page.
const QColor FOND(0xef, 0xef, 0xef);

QImage Bandeau()
{
    QImage image(330, 53, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter peintre(&image);
    peintre.setRenderHint(QPainter::Antialiasing);

    // The maker's rhombus, smaller than on the About box.
    QPainterPath losange;
    losange.moveTo(26, 5);
    losange.lineTo(47, 26.5);
    losange.lineTo(26, 48);
    losange.lineTo(5, 26.5);
    losange.closeSubpath();
    peintre.fillPath(losange, BLEU);
    QPainterPath chevron;
    chevron.moveTo(21, 14);
    chevron.lineTo(33, 26.5);
    chevron.lineTo(21, 39);
    chevron.lineTo(27, 39);
    chevron.lineTo(39, 26.5);
    chevron.lineTo(27, 14);
    chevron.closeSubpath();
    peintre.fillPath(chevron, Qt::white);
    peintre.fillRect(QRectF(16, 14, 4, 25), Qt::white);

    QFont nom(QStringLiteral("DejaVu Sans"));
    nom.setPixelSize(34);
    nom.setBold(true);
    nom.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    peintre.setFont(nom);
    peintre.setPen(BLEU);
    peintre.drawText(QRectF(60, 0, 270, 42), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Korvane"));
    peintre.fillRect(QRectF(62, 43, 258, 2), CIEL);
    return image;
}

QImage ConnexionAppareilPc()
{
    QImage image(362, 193, QImage::Format_RGB32);
    image.fill(FOND);
    QPainter peintre(&image);
    peintre.setRenderHint(QPainter::Antialiasing);

    // The device: a hand-held case with its display and three keys.
    peintre.setPen(QPen(QColor(0x30, 0x30, 0x30), 2));
    peintre.setBrush(QColor(0x4a, 0x5a, 0x6e));
    peintre.drawRoundedRect(QRectF(14, 30, 86, 140), 10, 10);
    peintre.setBrush(QColor(0xb8, 0xd8, 0xb0));
    peintre.drawRect(QRectF(24, 44, 66, 44));
    peintre.setBrush(QColor(0xe8, 0xe8, 0xe8));
    for (int i = 0; i < 3; ++i)
        peintre.drawEllipse(QRectF(26 + i * 22, 104, 14, 14));
    peintre.setBrush(QColor(0xd0, 0x30, 0x20));
    peintre.drawEllipse(QRectF(48, 134, 18, 18));
    QFont marque(QStringLiteral("DejaVu Sans"));
    marque.setPixelSize(10);
    marque.setBold(true);
    peintre.setFont(marque);
    peintre.setPen(Qt::white);
    peintre.drawText(QRectF(14, 154, 86, 14), Qt::AlignCenter, QStringLiteral("P07"));

    // The cable: from the device's side to the PC's USB socket, crossing the cut at column 226.
    peintre.setPen(QPen(QColor(0xd0, 0x10, 0x10), 4, Qt::SolidLine, Qt::RoundCap));
    peintre.setBrush(Qt::NoBrush);
    QPainterPath cable;
    cable.moveTo(100, 120);
    cable.cubicTo(150, 120, 160, 178, 205, 170);
    cable.cubicTo(240, 164, 238, 150, 252, 150);
    peintre.drawPath(cable);
    peintre.setPen(Qt::NoPen);
    peintre.setBrush(QColor(0x40, 0x40, 0x40));
    peintre.drawRect(QRectF(96, 114, 8, 12));

    // The portable computer, marked PC, entirely right of column 226.
    peintre.setPen(QPen(QColor(0x20, 0x20, 0x20), 2));
    peintre.setBrush(QColor(0x50, 0x50, 0x58));
    peintre.drawRoundedRect(QRectF(262, 46, 88, 66), 4, 4);
    peintre.setBrush(QColor(0x3a, 0x8f, 0xd8));
    peintre.drawRect(QRectF(268, 52, 76, 54));
    QPolygonF clavier;
    clavier << QPointF(258, 114) << QPointF(354, 114) << QPointF(360, 150) << QPointF(252, 150);
    peintre.setBrush(QColor(0x70, 0x70, 0x78));
    peintre.drawPolygon(clavier);
    peintre.setPen(QPen(QColor(0x9a, 0x9a, 0xa2), 1));
    for (int rang = 0; rang < 3; ++rang)
        peintre.drawLine(QPointF(264 - rang * 2, 122 + rang * 8), QPointF(348 + rang * 2, 122 + rang * 8));
    QFont pc(QStringLiteral("DejaVu Sans"));
    pc.setPixelSize(26);
    pc.setBold(true);
    peintre.setFont(pc);
    peintre.setPen(Qt::white);
    peintre.drawText(QRectF(268, 52, 76, 54), Qt::AlignCenter, QStringLiteral("PC"));
    return image;
}

QImage IconeFenetre()
{
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(QColor(0x18, 0x14, 0x20));
    QPainter peintre(&image);
    peintre.setRenderHint(QPainter::Antialiasing);
    // Two stars, the red one behind the orange one, turned half a point.
    auto etoile = [](double rayonExterieur, double rayonInterieur, double decalage) {
        QPolygonF points;
        const int branches = 10;
        for (int i = 0; i < 2 * branches; ++i) {
            const double angle = (i + decalage) * M_PI / branches;
            const double r = (i % 2 == 0) ? rayonExterieur : rayonInterieur;
            points << QPointF(16 + r * std::cos(angle), 16 + r * std::sin(angle));
        }
        return points;
    };
    peintre.setPen(Qt::NoPen);
    peintre.setBrush(QColor(0xd8, 0x18, 0x10));
    peintre.drawPolygon(etoile(15.5, 6.5, 0.5));
    peintre.setBrush(QColor(0xff, 0x8c, 0x10));
    peintre.drawPolygon(etoile(11, 4.5, 0));
    peintre.setBrush(QColor(0xff, 0xe0, 0x60));
    peintre.drawEllipse(QPointF(16, 16), 3.5, 3.5);
    return image;
}

bool Enregistrer(const QImage& image, const QString& dossier, const char* nom)
{
    const QString chemin = dossier + QLatin1Char('/') + QString::fromLatin1(nom);
    if (image.save(chemin, "JPG", 95))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(chemin));
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s folder\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString dossier = QString::fromLocal8Bit(argv[1]);
    const bool ok = Enregistrer(Bandeau(), dossier, "bandeau.jpg")
                    && Enregistrer(ConnexionAppareilPc(), dossier, "connexion_appareil_pc.jpg")
                    && Enregistrer(IconeFenetre(), dossier, "icone_fenetre.jpg");
    return ok ? 0 : 1;
}
