int count(const char* s)
{
    int n = 0;
    while (*s)
        ++s, ++n;
    do {
        --n;
    } while (n > 10);
    for (;;) {
        if (n == 0) break;
        n--;
    }
    for (int i = 0; i < n; ++i) continue;
    for (a; b) x;
    return n;
}

const char* name(int kind)
{
    switch (kind) {
    case 1:
    case 2: return "small";
    case Kind::Big: {
        log(kind);
        break;
    }
    default:
        return "other";
    }
}
