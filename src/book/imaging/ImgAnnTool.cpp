#include "ImgAnnTool.h"

#include "oleImgEdit.h"

#include <QFileInfo>

namespace palvenor::imaging {

void ImgAnnTool::setAnnotationImage(const QString& file) {
    image_ = file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
}

void ImgAnnTool::Draw(int left, int top) { Draw(left, top, 0, 0); }

void ImgAnnTool::Draw(int left, int top, int width, int height) {
    if (type_ != EmbeddedPicture && type_ != LinkedPicture) return;
    edit_.drawPicture(type_ == EmbeddedPicture ? AnnotationKind::EmbeddedPicture : AnnotationKind::LinkedPicture,
                      image_, QRect(left, top, width, height));
}

}  // namespace palvenor::imaging
