namespace open {
class Unfinished : public Base<T
