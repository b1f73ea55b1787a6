#include "game/Figure.h"

#include <algorithm>
#include <cstdint>

#include "framework/Rand.h"
#include "game/GameField.h"
#include "game/GameServices.h"
#include "game/Res.h"

namespace Quill {

namespace {

// A bonus piece comes every kBonusMinGap to kBonusMinGap + kBonusGapSpread - 1 spawns.
constexpr int kBonusMinGap = 20;
constexpr int kBonusGapSpread = 10;

// Colour of the trail a falling bonus piece leaves (its bonus colour at this alpha).
constexpr int kBonusTrailAlpha = 224;
constexpr float kBonusTrailSpeed = 0.3f;
// Upward drift added to every piece sparkle.
constexpr float kSparkleDrift = 0.4f;
// Sparkles start this far (1 + 0..9 pixels) inside their cell.
constexpr int kSparkleSpread = 10;

constexpr std::array<Figure::BonusStyle, Figure::kBonusKinds> kBonusStyles{{
    {Color(255, 51, 51), "Red Bonus", "Rescue all pets"},
    {Color(255, 102, 0), "Orange Bonus", "Rescue one line"},
    {Color(255, 255, 0), "Yellow Bonus", "Rescue two lines"},
    {Color(0, 255, 0), "Green Bonus", "Rescue piece columns"},
    {Color(0, 255, 255), "Light Blue Bonus", "Rescue piece rows"},
    {Color(51, 51, 255), "Dark Blue Bonus", "Rescue identical cages"},
    {Color(255, 0, 255), "Magenta Bonus", "Rescue identical pets"},
}};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Value of one hexadecimal digit in the given base, or -1.
int DigitValue(char c, int base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// One whole token in C "%i" syntax: a sign, then decimal digits, 0x/0X and hex
// digits, or a leading 0 and octal digits. Anything else in the token, or a
// value outside 32 bits, makes it no number.
std::optional<int> ParseInteger(std::string_view token)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < token.size() && token[i] == '0') {
        if (i + 1 < token.size() && (token[i + 1] == 'x' || token[i + 1] == 'X')) {
            base = 16;
            i += 2;
        } else {
            base = 8; // the 0 itself is the first octal digit
        }
    }
    if (i == token.size())
        return std::nullopt;
    const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t magnitude = 0;
    for (; i < token.size(); ++i) {
        const int digit = DigitValue(token[i], base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

// Splits the catalogue text into whitespace-separated tokens, one at a time.
class TokenReader {
public:
    explicit TokenReader(std::string_view text) : mText(text) {}

    // The next token, or nothing at the end of the text.
    std::optional<std::string_view> Next()
    {
        while (mPos < mText.size() && IsSpace(mText[mPos]))
            ++mPos;
        if (mPos == mText.size())
            return std::nullopt;
        const std::size_t start = mPos;
        while (mPos < mText.size() && !IsSpace(mText[mPos]))
            ++mPos;
        return mText.substr(start, mPos - start);
    }

private:
    std::string_view mText;
    std::size_t mPos = 0;
};

bool InsideGrid(int row, int column)
{
    return row >= 0 && row < GameField::kRows && column >= 0 && column < GameField::kColumns;
}

} // namespace

const Figure::BonusStyle& Figure::GetBonusStyle(int bonus)
{
    return kBonusStyles[static_cast<std::size_t>(std::clamp(bonus, 1, kBonusKinds) - 1)];
}

std::optional<std::vector<Figure::Shape>> Figure::ParseCatalogue(std::string_view text)
{
    std::vector<Shape> shapes;
    TokenReader reader(text);
    while (const auto sizeToken = reader.Next()) {
        const std::optional<int> size = ParseInteger(*sizeToken);
        if (!size || *size < 1 || *size > kMaxSize)
            return std::nullopt;
        Shape shape;
        shape.size = *size;
        bool filled = false;
        for (int r = 0; r < shape.size; ++r) {
            for (int c = 0; c < shape.size; ++c) {
                const auto cellToken = reader.Next();
                if (!cellToken)
                    return std::nullopt;
                const std::optional<int> cell = ParseInteger(*cellToken);
                if (!cell)
                    return std::nullopt;
                shape.cells[r][c] = *cell;
                filled |= *cell != 0;
            }
        }
        // A shape without cells could never be raised into the well.
        if (!filled)
            return std::nullopt;
        shapes.push_back(shape);
    }
    if (shapes.size() < static_cast<std::size_t>(kPlayableTemplates))
        return std::nullopt;
    return shapes;
}

void Figure::Init(GameServices* app, GameField* field)
{
    mApp = app;
    mField = field;
    mX = kStartX;
    mY = kStartY;
    mPets = {};
    mCells = {};
    mBlinkTimers = {};
    mBonus = 0;
    const int countdown = kBonusMinGap + Rand() % kBonusGapSpread;
    if (mField != nullptr)
        mField->mBonusCountdown = countdown;
}

bool Figure::Spawn(int templateIndex)
{
    GameField& field = *mField;
    if (templateIndex < 0 || static_cast<std::size_t>(templateIndex) >= field.mCatalogue.size())
        return false;
    const Figure& shape = field.mCatalogue[static_cast<std::size_t>(templateIndex)];
    if (!shape.HasCells())
        return false;
    mX = shape.mX;
    mY = shape.mY;
    mSize = shape.mSize;

    // A missing cage picture must not divide by zero; it still gives one kind.
    const int cageKinds = std::max(1, mApp->NumCageKinds());
    const int cage = Rand() % cageKinds + 1;
    const int petKinds = std::max(1, field.mPetsInPlay);
    for (int r = 0; r < kMaxSize; ++r) {
        for (int c = 0; c < kMaxSize; ++c) {
            if (shape.mCells[r][c] != 0) {
                mCells[r][c] = cage;
                mPets[r][c] = Rand() % petKinds + 1;
            } else {
                mCells[r][c] = 0;
                mPets[r][c] = 0;
            }
        }
    }

    // Raise the piece until its top filled row is on grid row 0.
    int topRow = kMaxSize;
    for (int r = kMaxSize - 1; r >= 0; --r)
        for (int c = 0; c < kMaxSize; ++c)
            if (mCells[r][c] != 0)
                topRow = r;
    while (mY + topRow - 1 >= 1)
        --mY;

    // Cells still shown in a rescue animation do not block.
    for (int r = 0; r < kMaxSize; ++r) {
        for (int c = 0; c < kMaxSize; ++c) {
            if (mCells[r][c] == 0)
                continue;
            const int row = mY + r - 1;
            const int column = mX + c - 1;
            if (!InsideGrid(row, column))
                return false;
            if (field.mCages[row][column] != 0 && field.mMarked[row][column] == 0)
                return false;
        }
    }

    --field.mBonusCountdown;
    if (field.mBonusCountdown > 0) {
        mBonus = 0;
    } else {
        field.mBonusCountdown = kBonusMinGap + Rand() % kBonusGapSpread;
        mBonus = Rand() % kBonusKinds + 1;
        mApp->PlaySample(soundBonus);
    }
    return true;
}

Figure::Bounds Figure::GetBounds() const
{
    int leastColumn = kMaxSize + 1;
    int leastRow = kMaxSize + 1;
    int greatestColumn = -1;
    int greatestRow = -1;
    const int n = std::clamp(mSize, 0, kMaxSize);
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            if (mCells[r][c] == 0)
                continue;
            leastColumn = std::min(leastColumn, c);
            greatestColumn = std::max(greatestColumn, c);
            leastRow = std::min(leastRow, r);
            greatestRow = std::max(greatestRow, r);
        }
    }
    return {mX + leastColumn - 1, mY + leastRow - 1, mX + greatestColumn - 1, mY + greatestRow - 1};
}

int Figure::GetCenterX() const
{
    const Bounds bounds = GetBounds();
    return ((bounds.minColumn + bounds.maxColumn + 1) * GameField::kCellSize) / 2 + GameField::kWellX;
}

bool Figure::Fits(const Matrix& cells, int dx, int dy) const
{
    for (int r = 0; r < kMaxSize; ++r) {
        for (int c = 0; c < kMaxSize; ++c) {
            if (cells[r][c] == 0)
                continue;
            const int row = mY + r - 1 + dy;
            const int column = mX + c - 1 + dx;
            if (!InsideGrid(row, column) || mField->mCages[row][column] != 0)
                return false;
        }
    }
    return true;
}

bool Figure::Move(int dx, int dy)
{
    if (!Fits(mCells, dx, dy))
        return false;
    mX += dx;
    mY += dy;
    return true;
}

bool Figure::Rotate(bool clockwise)
{
    const int n = mSize;
    if (n < 1 || n > kMaxSize)
        return false;
    Matrix pets{};
    Matrix cells{};
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const int fromRow = clockwise ? n - 1 - j : j;
            const int fromColumn = clockwise ? i : n - 1 - i;
            pets[i][j] = mPets[fromRow][fromColumn];
            cells[i][j] = mCells[fromRow][fromColumn];
        }
    }

    // Push the turned shape down from the top and back in from the sides.
    int dx = 0;
    int dy = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            if (cells[i][j] == 0)
                continue;
            const int row = mY + i - 1;
            const int column = mX + j - 1;
            if (row + dy < 0)
                dy = -row;
            if (column + dx < 0)
                dx = -column;
            if (column + dx > GameField::kColumns - 1)
                dx = GameField::kColumns - 1 - column;
        }
    }

    if (!Fits(cells, dx, dy))
        return false;

    mX += dx;
    mY += dy;
    mPets = pets;
    mCells = cells;
    mApp->PlaySample(soundRotate, 0);
    return true;
}

void Figure::Place()
{
    GameField& field = *mField;
    for (int r = 0; r < kMaxSize; ++r) {
        for (int c = 0; c < kMaxSize; ++c) {
            if (mCells[r][c] == 0)
                continue;
            const int row = mY + r - 1;
            const int column = mX + c - 1;
            if (!InsideGrid(row, column))
                continue;
            field.mPets[row][column] = mPets[r][c];
            field.mCages[row][column] = mCells[r][c];
        }
    }
    mApp->PlaySample(soundBlit, 0);
    ApplyBonus();
    if (mApp->NextHint() == 2)
        mApp->ShowNextHint();
}

void Figure::ApplyBonus()
{
    GameField& field = *mField;
    constexpr int lastRow = GameField::kRows - 1;
    constexpr int lastColumn = GameField::kColumns - 1;
    switch (mBonus) {
    case 1: // every cell
        for (int r = 0; r <= lastRow; ++r)
            for (int c = 0; c <= lastColumn; ++c)
                field.MarkCell(r, c);
        break;
    case 2: // the bottom row
        for (int c = 0; c <= lastColumn; ++c)
            field.MarkCell(lastRow, c);
        break;
    case 3: // the two bottom rows, column by column
        for (int c = 0; c <= lastColumn; ++c) {
            field.MarkCell(lastRow, c);
            field.MarkCell(lastRow - 1, c);
        }
        break;
    case 4: { // the piece's columns, top to bottom
        const Bounds bounds = GetBounds();
        for (int r = 0; r <= lastRow; ++r)
            for (int c = bounds.minColumn; c <= bounds.maxColumn; ++c)
                field.MarkCell(r, c);
        break;
    }
    case 5: { // the piece's rows
        const Bounds bounds = GetBounds();
        for (int r = bounds.minRow; r <= bounds.maxRow; ++r)
            for (int c = 0; c <= lastColumn; ++c)
                field.MarkCell(r, c);
        break;
    }
    case 6:   // every cage of the kind met first
    case 7: { // every pet of the kind met first
        const GameField::Grid& kinds = mBonus == 6 ? field.mCages : field.mPets;
        int reference = 0;
        for (int r = 0; r <= lastRow; ++r) {
            for (int c = 0; c <= lastColumn; ++c) {
                if (reference == 0 && field.mCages[r][c] != 0)
                    reference = kinds[r][c];
                if (reference != 0 && kinds[r][c] == reference)
                    field.MarkCell(r, c);
            }
        }
        break;
    }
    default:
        break;
    }
}

void Figure::Update()
{
    for (int r = 0; r < kMaxSize; ++r)
        for (int c = 0; c < kMaxSize; ++c)
            if (mCells[r][c] != 0)
                GameField::AdvanceBlink(mBlinkTimers[r][c]);
    if (mBonus != 0) {
        Color trail = GetBonusStyle(mBonus).color;
        trail.mAlpha = kBonusTrailAlpha;
        EmitSparkles(trail, kBonusTrailSpeed);
    }
}

void Figure::EmitSparkles(Color color, float speed)
{
    for (int r = 0; r < kMaxSize; ++r) {
        for (int c = 0; c < kMaxSize; ++c) {
            if (mCells[r][c] == 0)
                continue;
            const int cellX = GameField::kWellX + GameField::kCellSize * (mX + c - 1);
            const int cellY = GameField::kWellY + GameField::kCellSize * (mY + r - 1);
            const int x = cellX + 1 + Rand() % kSparkleSpread;
            const int y = cellY + 1 + Rand() % kSparkleSpread;
            const int angle = Rand() % 360;
            Particle particle = Particle::Launch(x, y, angle, speed, color);
            particle.mVelocityY -= kSparkleDrift;
            mApp->AddParticle(particle);
        }
    }
}

bool Figure::HasCells() const
{
    for (const auto& row : mCells)
        for (int cell : row)
            if (cell != 0)
                return true;
    return false;
}

} // namespace Quill
