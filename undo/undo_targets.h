// What undo records of the whole paper and of the selection masks need from their owners.
// The paper and the mask manager implement these; tests use small doubles.
#pragma once

#include "core/rect.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qm {

class CLayerMngr;

// A selection mask as an undo record sees it: an object it may keep while it is not part of
// the mask list.
class UndoMaskObject {
public:
    virtual ~UndoMaskObject() = default;
    virtual int64_t memoryUsed() const = 0;
    // A deep copy; nullptr when memory runs out.
    virtual std::unique_ptr<UndoMaskObject> clone() const = 0;
};

// A whole mask list, kept while the paper's layer list is replaced by a resampled one.
class UndoMaskList {
public:
    virtual ~UndoMaskList() = default;
    virtual int64_t memoryUsed() const = 0;
    virtual std::unique_ptr<UndoMaskList> clone() const = 0;
};

// The paper, for the records that concern it as a whole.
class UndoPaper {
public:
    virtual ~UndoPaper() = default;
    virtual uint32_t paperColour() const = 0;
    virtual void setPaperColour(uint32_t colour) = 0;
    // Applies the whole-paper transform again (it undoes itself); `operation` says which.
    virtual void toggleTransform(int32_t operation) = 0;
    // Hands the paper a layer list and takes the current one back; the paper then works on
    // the new list. The same for the mask list.
    virtual std::unique_ptr<CLayerMngr> swapLayerList(std::unique_ptr<CLayerMngr> layers) = 0;
    virtual std::unique_ptr<UndoMaskList> swapMaskList(std::unique_ptr<UndoMaskList> masks) = 0;
    virtual CLayerMngr& layerList() = 0;
    virtual TPoint paperSize() const = 0; // width, height
    virtual void setPaperSize(int32_t width, int32_t height) = 0;
    virtual void shiftView(int32_t dx, int32_t dy) = 0;
};

// The mask manager, for the records of masks. Masks are identified by index and checked by
// their serial number; the current mask, names, positions and two display flags of the
// selection can be read and set.
class UndoMaskTarget {
public:
    virtual ~UndoMaskTarget() = default;
    virtual int32_t count() const = 0;
    virtual int32_t serialAt(int32_t index) const = 0; // −1 when there is no such mask
    virtual const UndoMaskObject* maskAt(int32_t index) const = 0;
    virtual int32_t indexOfSerial(int32_t serial) const = 0; // −1 when absent
    virtual std::unique_ptr<UndoMaskObject> extract(int32_t index) = 0;
    // Takes the mask only when it succeeds.
    virtual bool insert(int32_t index, std::unique_ptr<UndoMaskObject>& mask) = 0;
    // Puts a mask in place of another and hands the old one out (nullptr on failure).
    virtual std::unique_ptr<UndoMaskObject> put(int32_t index,
                                                std::unique_ptr<UndoMaskObject>& mask) = 0;
    virtual int32_t current() const = 0;
    virtual void setCurrent(int32_t index) = 0;
    virtual bool move(int32_t to, int32_t from) = 0;
    // Applies an in-place change again (it undoes itself) and refreshes the thumbnail.
    virtual bool reapply(int32_t index, int32_t operation) = 0;
    // Moves a mask's position and refreshes it.
    virtual bool offset(int32_t index, int32_t dx, int32_t dy) = 0;
    virtual void selectionFlags(int32_t& first, int32_t& second) const = 0;
    virtual void setSelectionFlags(int32_t first, int32_t second) = 0;
    virtual std::string name(int32_t index) const = 0;
    virtual bool setName(int32_t index, const std::string& name) = 0;
};

} // namespace qm
