struct S { int a; } s1, s2;
struct { int x, y; } origin = { 0, 0 }, *cursor, table[4];
union U { int i; float f; } u;
class C { } ;
enum E { One } e;
struct Point { int x; };
Point p;
struct Holder {
    union { int bits; float value; };
    Foo transparency = 0;
    unsigned char level = 0;
};
