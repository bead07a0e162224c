// The notice the screen device raises before it deletes one of its listed objects, on every
// path that deletes (one object, by owner, all of them, the destructor). Holders of borrowed
// pointers (canvases bound by panels, fonts of captions, back buffers of effects, partners of
// transitions) listen and let go of the object while it is still whole.
//
// A listener must not create or release listed objects from inside the notice.
#pragma once

enum class ListedObjectFamily { kSurface, kDrawable, kFont, kSprite };

class ObjectDeletionListener {
public:
    // object: the surface (its main face), drawable, font or sprite; otherFace: a texture
    // kind's texture face, else null.
    virtual void OnObjectDeleting(ListedObjectFamily family, const void* object, const void* otherFace) = 0;

protected:
    ~ObjectDeletionListener() = default;
};
