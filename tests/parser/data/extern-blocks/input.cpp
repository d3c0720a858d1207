extern "C" {
int f(void);
#include "inside.h"
struct Hidden {
};
}
extern "C" int g(void);
extern int counter;
