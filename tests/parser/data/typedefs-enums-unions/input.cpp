typedef int Int, *IntPtr, &IntRef;
typedef unsigned long ulong;
typedef int (*Callback)(int);
typedef struct {
    int x;
} Point;
enum Color { Red, Green };
enum {
    Anonymous
};
enum class Scoped { One };
union Value {
    int i;
    float f;
};
asm("nop");
asm("a" "b");
