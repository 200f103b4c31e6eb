#pragma once

#include "core/game.h"

#include <QObject>

#include <memory>

class ImageCatalogue;
class UserPhotoLoader;

// The pictures the game plays with: the built-in ones by number, then the
// user's own photos, each joining once it is found usable. Only the picture
// on show and its neighbours are kept with their ice. Everything runs on the
// GUI thread.
class PictureLibrary final : public QObject
{
    Q_OBJECT

public:
    // `catalogue` must outlive the library.
    explicit PictureLibrary(const ImageCatalogue &catalogue, QObject *parent = nullptr);
    ~PictureLibrary() override;

    // Picture `number` for the game (null while a photo is still being
    // made); the photos around it are made ready ahead.
    Picture picture(int number);
    Game::PictureLoader loader()
    {
        return [this](int number) { return picture(number); };
    }

    // Starts reading the user's photos folder, picture `shown` being on show.
    void findUserPhotos(int shown);

Q_SIGNALS:
    // There are `count` pictures now, built-in ones included.
    void pictureCountChanged(int count);
    // Picture `number`, asked for before, can now be had.
    void pictureReady(int number);

private:
    const ImageCatalogue &m_catalogue;
    // It reports only through its own signals, which end with it.
    std::unique_ptr<UserPhotoLoader> m_userPhotos;
};
