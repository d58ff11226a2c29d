#pragma once
// Writing the skin folder: the three skin files from the layout tables, and
// every picture at 1x and, beside it as NAME@2x.EXT, drawn again at 2x.
#include <QImage>
#include <QString>
#include <string>

#include "tools/skin_generator/pictures.h"
#include "tools/skin_generator/skin_layout.h"

namespace zarvel::skingen {

// "name.jpg" -> "name@2x.jpg".
std::string HiDpiName(const std::string& file);

class SkinWriter {
 public:
  explicit SkinWriter(QString folder) : folder_(std::move(folder)) {}

  // SCREEN, BUTTONINFO and BUTTONINFO2 of one window.
  bool WriteSkinFile(const WindowLayout& layout);
  // Background, mask and every state image of one window, at 1x and 2x.
  bool WriteWindowImages(const WindowLayout& layout, const std::vector<StateImageFile>& images);
  // One picture at 1x and 2x.
  bool WritePicture(const Picture& picture);
  // One picture at its size only (the application icons come in every size already).
  bool WritePictureOnce(const Picture& picture);

  // Every file that failed, for the message.
  const QString& Errors() const { return errors_; }

 private:
  bool Save(const QImage& image, const std::string& file);
  QImage Render(const Picture& picture, qreal scale) const;

  QString folder_;
  QString errors_;
};

}  // namespace zarvel::skingen
