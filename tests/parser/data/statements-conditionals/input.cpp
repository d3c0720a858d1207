int sign(int v)
{
    if (v > 0) return 1;
    else if (v < 0)
        return -1;
    else
        return 0;
}

void clamp(int& v, int lo, int hi)
{
    if (v < lo) {
        v = lo;
    } else if (v > hi) {
        v = hi;
    } else {
        // already inside
    }
    if (lo > hi) for (int i = 0; i < 3; i++) {
        swap(lo, hi);
    }
    if (v) if (lo) v = 1; else v = 2;
    if (
