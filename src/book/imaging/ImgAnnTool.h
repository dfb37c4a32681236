#pragma once

#include <QString>

namespace palvenor::imaging {

class oleImgEdit;

// Puts picture annotations on the page its page view shows: a picture file
// embedded in the page, or linked to it by name.
class ImgAnnTool {
public:
    enum Type { EmbeddedPicture = 5, LinkedPicture = 6 };

    explicit ImgAnnTool(oleImgEdit& edit) : edit_(edit) {}

    // The picture file, kept with its full path.
    QString AnnotationImage() const { return image_; }
    void setAnnotationImage(const QString& file);
    int AnnotationType() const { return type_; }
    void setAnnotationType(int type) { type_ = type; }

    // Draws the picture annotation with its top left corner left, top screen
    // pixels inside the visible part of the page: at the picture's own size,
    // or width by height screen pixels. Other types are drawn with the mouse.
    void Draw(int left, int top);
    void Draw(int left, int top, int width, int height);

private:
    oleImgEdit& edit_;
    QString image_;
    int type_ = 0;
};

}  // namespace palvenor::imaging
