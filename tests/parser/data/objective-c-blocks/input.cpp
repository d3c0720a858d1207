namespace juce { struct Holder { void changed(); }; }

@interface SessionNative : NSObject
{
@private
    juce::Holder* holder;
};
- (id) init: (juce::Holder*) h;
@end

@implementation SessionNative
- (id) init: (juce::Holder*) h
{
    self = [super init];
    return self;
}
@end

namespace juce
{
void Holder::changed() { int after = 1; }
class AfterTheBlock { int value() const { return 2; } };
}
