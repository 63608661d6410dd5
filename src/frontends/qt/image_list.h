#pragma once
// Iml_Moto: the 20 pictures of the machine, built into the program as Qt resources.

#include <QPixmap>
#include <array>

namespace rl00 {

class ImageList {
  public:
    static constexpr int kCount = 20;

    ImageList();

    // Item 1..20, or a null pixmap for any other number (a picture without image).
    const QPixmap& item(int i) const;
    bool complete() const;

  private:
    std::array<QPixmap, kCount + 1> items_;
};

}  // namespace rl00
