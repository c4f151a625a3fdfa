// Keeps the library non-empty until its first sources land.
namespace orvanix {
int kFilesLibraryAnchor = 0;
}
