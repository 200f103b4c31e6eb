#include "app/picture_library.h"

#include "assets/image_catalogue.h"
#include "assets/user_photos.h"
#include "bridge/qt_bridge.h"

PictureLibrary::PictureLibrary(const ImageCatalogue &catalogue, QObject *parent)
    : QObject(parent)
    , m_catalogue(catalogue)
{ }

PictureLibrary::~PictureLibrary() = default;

Picture PictureLibrary::picture(int number)
{
    if (m_userPhotos)
        m_userPhotos->keepAround(number);
    if (number > ImageCatalogue::kPictureCount) {
        if (!m_userPhotos)
            return Picture();
        const PhotoWithIce photo = m_userPhotos->picture(number);
        return {imageFromQImage(photo.photo), imageFromQImage(photo.ice)};
    }
    return Picture{imageFromQImage(m_catalogue.image(ImageCatalogue::photoName(number))),
                   imageFromQImage(m_catalogue.image(ImageCatalogue::iceName(number)))};
}

void PictureLibrary::findUserPhotos(int shown)
{
    // The game starts with the built-in pictures; each of the user's photos
    // joins once it is found usable, and is made with its ice while its
    // neighbour is on show.
    m_userPhotos = std::make_unique<UserPhotoLoader>();
    connect(m_userPhotos.get(), &UserPhotoLoader::photoFound, this,
            [this](int count) { Q_EMIT pictureCountChanged(ImageCatalogue::kPictureCount + count); });
    connect(m_userPhotos.get(), &UserPhotoLoader::pictureReady, this, &PictureLibrary::pictureReady);
    m_userPhotos->start(UserPhotos::folder(), ImageCatalogue::kPictureCount + 1);
    m_userPhotos->keepAround(shown);
}
