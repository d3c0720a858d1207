struct S { int a; } s1, s2;
struct { int x, y; } origin = { 0, 0 }, *cursor, table[4];
union U { int i; float f; } u;
class C { } ;
enum E { One } e;
struct Point { int x; };
Point p;
