typedef struct Tag { int a; } T;
typedef struct { int b; } U;
typedef enum { E1, E2 } E;
typedef union UTag { int c; float d; } UU;
typedef struct Node { struct Node *next; } Node, *NodePtr;
typedef struct { int x; } *Handle;
struct Plain { int p; } plain1, plain2;
int main(argc, argv) int argc; char **argv; { return 0; }
static int add(a, b) int a, b; { return a + b; }
int g(void) { return 1; }
int h(void *p);
int call(x) { return x; }
