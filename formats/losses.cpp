#include "formats/losses.h"

#include <algorithm>

namespace {

bool Earlier(const Loss& a, const Loss& b) { return a.kind < b.kind; }

}  // namespace

Loss* Losses::Slot(LossKind kind) {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].kind == kind) return &items_[i];
    }
    Loss loss = {kind, 0, kNoTrackNumber, false, 0, 0, 0, 0, 0, 0};
    items_.push_back(loss);
    return &items_.back();
}

void Losses::Sector(LossKind kind, uint32_t track, uint8_t c, uint8_t h, uint8_t r, uint8_t n) {
    Loss* loss = Slot(kind);
    if (loss->count++ == 0) {
        loss->track = track;
        loss->hasSector = true;
        loss->c = c;
        loss->h = h;
        loss->r = r;
        loss->n = n;
    }
}

void Losses::Track(LossKind kind, uint32_t track) {
    Loss* loss = Slot(kind);
    if (loss->count++ == 0) loss->track = track;
}

void Losses::Field(LossKind kind, uint32_t value, uint32_t other) {
    Loss* loss = Slot(kind);
    if (loss->count++ == 0) {
        loss->value = value;
        loss->other = other;
    }
}

void Losses::Merge(const Losses& other) {
    for (size_t i = 0; i < other.items_.size(); ++i) {
        const Loss& from = other.items_[i];
        Loss* to = Slot(from.kind);
        if (to->count == 0) {
            *to = from;
        } else {
            to->count += from.count;
        }
    }
}

std::vector<Loss> Losses::Items() const {
    std::vector<Loss> items(items_);
    std::stable_sort(items.begin(), items.end(), Earlier);
    return items;
}

const Loss* Losses::Find(LossKind kind) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].kind == kind) return &items_[i];
    }
    return nullptr;
}
