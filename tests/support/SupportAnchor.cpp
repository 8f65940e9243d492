// Keeps the support library non-empty while most doubles are header-only.
namespace quillmark::test {
int supportAnchor() {
    return 0;
}
}  // namespace quillmark::test
