// SPDX-License-Identifier: MIT
#include "tick.h"

namespace game {
namespace {

// Enemies and shots move only while strictly inside the field; the test is
// made before the move, so each can end up one step outside for one tick.
bool InLiveArea(Integer x, Integer y)
{
    return Integer(0) < x && x < FieldWidth && Integer(0) < y && y < FieldHeight;
}

// Int(r * n) for a fresh random number r.
Integer Roll(RandomSource& random, int n)
{
    return Int(static_cast<double>(random.next()) * n);
}

Integer HorizontalDirection(const GameState& s)
{
    if (s.leftHeld && s.playerX > PlayerLeftLimit) {
        return -1;
    }
    if (s.rightHeld && s.playerX < PlayerRightLimit) {
        return 1;
    }
    return 0;
}

Integer VerticalDirection(const GameState& s)
{
    if (s.upHeld && s.playerY > PlayerTopLimit) {
        return -1;
    }
    if (s.downHeld && s.playerY < PlayerBottomLimit) {
        return 1;
    }
    return 0;
}

void SpawnEnemy(GameState& state, RandomSource& random)
{
    const Integer kind = Roll(random, SpawnRollRange);
    if (kind > Integer(4)) {
        return; // no enemy this tick, and no further draws
    }
    const double r1 = random.next();
    const double r2 = random.next();
    const double r3 = random.next();
    if (kind <= Integer(2)) { // from the top
        AddEnemy(state, Int(r1 * 280) + 10, 1, Int(r2 * 11) - 5, Integer(2) * Int(r3 * 3) + 2);
    } else if (kind == Integer(3)) { // from the left
        AddEnemy(state, 1, Int(r1 * 280) + 10, Int(r2 * 11), Int(r3 * 3) + 1);
    } else { // from the right
        AddEnemy(state, FieldWidth - Integer(1), Int(r1 * 280) + 10, Int(r2 * -11), Int(r3 * 3) + 1);
    }
}

void MaybeFire(GameState& state, const Enemy& enemy, RandomSource& random)
{
    if (Roll(random, FireRollRange) != Integer(0)) {
        return;
    }
    const double r1 = random.next();
    const double r2 = random.next();
    const Integer dy = Integer(2) * Int(r2 * 3) + enemy.dy + 2;
    const Integer dx = Int(r1 * 11) + enemy.dx - 5;
    AddShot(state, enemy.x, enemy.y + EnemyShotOffset, dx, dy, false);
}

void GameOver(GameState& state, Status& status)
{
    state.halted = true;
    status.showGameOver(state.score.value());
    ResetGame(state);
}

void HitEnemies(GameState& state, Shot& shot)
{
    // Deliberately blind to the shot's own flag: one shot takes out every
    // enemy within reach in the same pass, and scores for each.
    for (auto& enemy : state.enemies) {
        if (enemy.active && Abs(enemy.y - shot.y) < EnemyReach && Abs(enemy.x - shot.x) < EnemyReach) {
            enemy.active = false;
            shot.active = false;
            if (shot.fromPlayer) {
                state.score += PointsPerEnemy;
            }
        }
    }
}

bool ReachesPlayer(const GameState& state, const Shot& shot)
{
    return Abs(state.playerY - shot.y) < PlayerReach && Abs(state.playerX - shot.x) < PlayerReach;
}

} // namespace

void Tick(GameState& state, Canvas& canvas, Status& status, RandomSource& random)
{
    if (state.halted) {
        return;
    }
    const Integer hdir = HorizontalDirection(state);
    state.playerX += PlayerSpeedX * hdir;
    const Integer vdir = VerticalDirection(state);
    state.playerY += PlayerSpeedY * vdir;
    if (state.fireHeld) {
        AddShot(state, state.playerX, state.playerY - PlayerShotOffset, PlayerSpeedX * hdir,
                Integer(2) * vdir + PlayerShotBaseSpeed, true);
    }
    canvas.clear();
    canvas.setFillColour(Red);
    UpdateEnemies(state, canvas, random);
    UpdateShots(state, canvas, status);
    canvas.setFillColour(Black);
    canvas.drawCircle(state.playerX.value(), state.playerY.value(), DiscRadius.value());
    canvas.present();
    status.showScore(state.score.value());
}

void UpdateEnemies(GameState& state, Canvas& canvas, RandomSource& random)
{
    random.reseed();
    SpawnEnemy(state, random);
    for (auto& enemy : state.enemies) {
        if (enemy.active && InLiveArea(enemy.x, enemy.y)) {
            enemy.x += enemy.dx;
            enemy.y += enemy.dy;
            canvas.drawCircle(enemy.x.value(), enemy.y.value(), DiscRadius.value(), Red);
            MaybeFire(state, enemy, random);
        } else if (enemy.active) {
            enemy.active = false;
        }
    }
}

void UpdateShots(GameState& state, Canvas& canvas, Status& status)
{
    for (auto& shot : state.shots) {
        if (shot.active && InLiveArea(shot.x, shot.y)) {
            shot.x += shot.dx;
            shot.y += shot.dy;
            canvas.drawPoint(shot.x.value(), shot.y.value(), shot.fromPlayer ? Black : Red);
            HitEnemies(state, shot);
            if (ReachesPlayer(state, shot)) {
                GameOver(state, status);
            }
        } else if (shot.active) {
            shot.active = false;
        }
    }
}

} // namespace game
