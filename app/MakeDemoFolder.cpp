// Makes a scratch folder of small demo photos with EXIF fields written by the
// engine, so Lumitag can be tried without touching one's own pictures.
//
//   lumitag-make-demo FOLDER
//
// FOLDER is created; an existing one is only replaced when an earlier run made it.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "exif/Exif_stl.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kMarker = ".lumitag-demo";

struct DemoPhoto {
    const char* name;
    QColor sky;
    QColor ground;
    const char* description;  // nullptr: no EXIF block at all
    const char* comment;
    int year, month, day, hour, minute, second;  // year 0: no date
};

const DemoPhoto kPhotos[] = {
    {"IMG_0001.JPG", {120, 170, 230}, {60, 140, 70}, "Arrival in Saint-Malo", "Summer holidays", 2004, 7, 9, 10, 12, 5},
    {"IMG_0002.JPG", {90, 150, 220}, {220, 200, 140}, "Beach party", "Summer holidays", 2004, 7, 9, 14, 5, 3},
    {"IMG_0003.JPG", {250, 160, 90}, {200, 180, 130}, "Sunset on the ramparts", "", 2004, 7, 9, 21, 40, 0},
    {"IMG_0004.JPG", {130, 180, 235}, {70, 120, 60}, "", "", 2004, 7, 10, 9, 30, 0},
    {"IMG_0005.JPG", {110, 160, 220}, {90, 90, 100}, "", "", 2004, 7, 11, 11, 0, 0},
    {"scan_old_photo.jpg", {200, 190, 170}, {150, 130, 110}, "", "", 0, 0, 0, 0, 0, 0},
    {"from_phone.jpeg", {40, 50, 90}, {20, 20, 30}, nullptr, nullptr, 0, 0, 0, 0, 0, 0},
    {"2004-12/IMG_0101.JPG", {180, 200, 230}, {240, 240, 250}, "No\xC3\xABl \xC3\xA0 Paris", "Winter", 2004, 12, 24, 19, 0, 0},
    {"2004-12/IMG_0102.JPG", {170, 190, 225}, {235, 235, 245}, "", "Winter", 2004, 12, 25, 10, 0, 0},
};

QImage Scene(const DemoPhoto& photo)
{
    // Large enough that the one-eighth preview is a real picture.
    constexpr int kScale = 5;
    QImage image(480 * kScale, 320 * kScale, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(kScale, kScale);
    QLinearGradient sky(0, 0, 0, 200);
    sky.setColorAt(0, photo.sky.lighter(120));
    sky.setColorAt(1, photo.sky);
    painter.fillRect(QRect(0, 0, 480, 320), sky);
    painter.setBrush(QColor(255, 220, 90));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(370, 80), 34, 34);
    QPainterPath hills;
    hills.moveTo(0, 230);
    hills.cubicTo(120, 170, 220, 260, 320, 210);
    hills.cubicTo(390, 180, 440, 200, 480, 190);
    hills.lineTo(480, 320);
    hills.lineTo(0, 320);
    painter.setBrush(photo.ground);
    painter.drawPath(hills);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(22);
    painter.setFont(font);
    painter.drawText(QRect(0, 270, 480, 40), Qt::AlignCenter, QString::fromUtf8(photo.name));
    return image;
}

bool WriteFields(const std::string& path, const DemoPhoto& photo)
{
    Texif_stl exif;
    if (!exif.read_jpeg(path))
        return false;
    exif.set_image_description(photo.description);
    exif.set_user_comment(photo.comment);
    exif.set_artist("Demo Photographer");
    if (photo.year != 0) {
        exif.set_date_time_original(photo.year, photo.month, photo.day, photo.hour, photo.minute, photo.second);
        exif.set_date_time(photo.year, photo.month, photo.day, photo.hour, photo.minute, photo.second);
        exif.set_date_time_digitized(photo.year, photo.month, photo.day, photo.hour, photo.minute, photo.second);
    }
    return !exif.modified || exif.write_jpeg(path);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path folder = argv[1];
    std::error_code ec;
    if (fs::exists(folder, ec)) {
        if (!fs::exists(folder / kMarker, ec) && !fs::is_empty(folder, ec)) {
            std::fprintf(stderr, "%s exists and was not made by this tool; choose another folder\n", argv[1]);
            return 2;
        }
        fs::remove_all(folder, ec);
    }
    QGuiApplication app(argc, argv);
    for (const auto& photo : kPhotos) {
        const fs::path path = folder / photo.name;
        fs::create_directories(path.parent_path(), ec);
        if (!Scene(photo).save(QString::fromStdString(path.string()), "JPEG", 88) ||
            (photo.description && !WriteFields(path.string(), photo))) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    std::ofstream(folder / kMarker) << "Demo photos made by lumitag-make-demo; safe to delete.\n";
    std::printf("%s\n", folder.c_str());
    return 0;
}
