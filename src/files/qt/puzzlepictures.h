#pragma once
// The puzzle files as pictures of the picture framework, so that the open
// dialog's preview and the picture import accept them like any picture.
namespace klt {

// Registers "KVT" (Клетомер), "FCR" (Филиппинский кроссворд) and "CRS"
// (Японский кроссворд). Call once at start.
void registerPuzzlePictures();

} // namespace klt
