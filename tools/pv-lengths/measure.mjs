// How whole the engine's printed lines are when one process analyses game after game, move
// after move, as an analyst's interface uses it. Every printed move is checked with chess.js,
// a move generator independent of the engine.
//
//   cd tools/pv-lengths && npm install
//   node measure.mjs ../../build/release/morvelline [--first 10] [--plies 20] [--movetime 2000] [--log FILE]
//
// For each game it analyses the positions after plies first .. first+plies-1 with
// "position startpos moves ..." and "go movetime T" (the third game with MultiPV 3), in one
// process and without "ucinewgame" between games, the book off. It reports, over the lines at
// depth 7 or more: how many are shorter than 4 moves while the game goes on at least 4 plies past
// the position (a line that itself ends the game is not short), and the median of length / depth.
import { spawn } from 'node:child_process';
import { createInterface } from 'node:readline';
import { writeFileSync } from 'node:fs';
import { Chess } from 'chess.js';

const GAMES = [
    {
        name: 'Morphy - Duke of Brunswick and Count Isouard, Paris 1858',
        san: 'e4 e5 Nf3 d6 d4 Bg4 dxe5 Bxf3 Qxf3 dxe5 Bc4 Nf6 Qb3 Qe7 Nc3 c6 Bg5 b5 Nxb5 cxb5 Bxb5+ Nbd7 ' +
            'O-O-O Rd8 Rxd7 Rxd7 Rd1 Qe6 Bxd7+ Nxd7 Qb8+ Nxb8 Rd8#',
        multiPv: 1,
    },
    {
        name: 'Anderssen - Dufresne, Berlin 1852',
        san: 'e4 e5 Nf3 Nc6 Bc4 Bc5 b4 Bxb4 c3 Ba5 d4 exd4 O-O d3 Qb3 Qf6 e5 Qg6 Re1 Nge7 Ba3 b5 Qxb5 Rb8 ' +
            'Qa4 Bb6 Nbd2 Bb7 Ne4 Qf5 Bxd3 Qh5 Nf6+ gxf6 exf6 Rg8 Rad1 Qxf3 Rxe7+ Nxe7 Qxd7+ Kxd7 Bf5+ Ke8 ' +
            'Bd7+ Kf8 Bxe7#',
        multiPv: 1,
    },
    {
        name: 'D. Byrne - Fischer, New York 1956',
        san: 'Nf3 Nf6 c4 g6 Nc3 Bg7 d4 O-O Bf4 d5 Qb3 dxc4 Qxc4 c6 e4 Nbd7 Rd1 Nb6 Qc5 Bg4 Bg5 Na4 Qa3 ' +
            'Nxc3 bxc3 Nxe4 Bxe7 Qb6 Bc4 Nxc3 Bc5 Rfe8+ Kf1 Be6 Bxb6 Bxc4+ Kg1 Ne2+ Kf1 Nxd4+ Kg1 Ne2+ Kf1 ' +
            'Nc3+ Kg1 axb6 Qb4 Ra4 Qxb6 Nxd1 h3 Rxa2 Kh2 Nxf2 Re1 Rxe1 Qd8+ Bf8 Nxe1 Bd5 Nf3 Ne4 Qb8 b5 h4 ' +
            'h5 Ne5 Kg7 Kg1 Bc5+ Kf1 Ng3+ Ke1 Bb4+ Kd1 Bb3+ Kc1 Ne2+ Kb1 Nc3+ Kc1 Rc2#',
        multiPv: 3,
    },
];

const MIN_DEPTH = 7;
const SHORT_BELOW = 4;

function option(name, fallback) {
    const at = process.argv.indexOf(`--${name}`);
    return at > 0 && at + 1 < process.argv.length ? process.argv[at + 1] : fallback;
}

const enginePath = process.argv[2];
if (!enginePath || enginePath.startsWith('--')) {
    console.error('usage: node measure.mjs ENGINE [--first N] [--plies N] [--movetime MS] [--log FILE]');
    process.exit(2);
}
const firstPly = Number(option('first', 10));
const plies = Number(option('plies', 20));
const moveTime = Number(option('movetime', 2000));
const logFile = option('log', '');

// The games as coordinate moves, checked by chess.js.
function coordinateMoves(san) {
    const chess = new Chess();
    return san.split(/\s+/).map((text) => {
        const move = chess.move(text);
        return move.from + move.to + (move.promotion ?? '');
    });
}

const engine = spawn(enginePath, [], { stdio: ['pipe', 'pipe', 'inherit'] });
const lines = createInterface({ input: engine.stdout });
const waiting = [];
const log = [];
lines.on('line', (line) => {
    log.push(`< ${line}`);
    const waiter = waiting[0];
    if (waiter && waiter.collect(line)) {
        waiting.shift();
        waiter.resolve(waiter.lines);
    }
});

function send(line) {
    log.push(`> ${line}`);
    engine.stdin.write(`${line}\n`);
}

// The lines up to and including the first that satisfies done.
function until(done) {
    return new Promise((resolve) => {
        const waiter = { lines: [], resolve };
        waiter.collect = (line) => {
            waiter.lines.push(line);
            return done(line);
        };
        waiting.push(waiter);
    });
}

// "info ... [multipv K] ... pv MOVES": depth, multipv and moves; null for other lines.
function parseInfo(line) {
    const words = line.split(' ');
    if (words[0] !== 'info' || words[1] !== 'depth') return null;
    const at = (label) => words.indexOf(label);
    const pvAt = at('pv');
    return {
        depth: Number(words[2]),
        multiPv: at('multipv') > 0 ? Number(words[at('multipv') + 1]) : 1,
        mate: at('mate') > 0,
        moves: pvAt > 0 ? words.slice(pvAt + 1) : [],
    };
}

// Plays the line on a copy of the position; the number of moves legal one after another, and
// whether the line ends the game (mate, stalemate, a draw by rule).
function playLine(fenBefore, history, moves) {
    const chess = new Chess();
    for (const move of history) chess.move({ from: move.slice(0, 2), to: move.slice(2, 4), promotion: move[4] });
    let legal = 0;
    for (const move of moves) {
        try {
            chess.move({ from: move.slice(0, 2), to: move.slice(2, 4), promotion: move[4] });
        } catch {
            break;
        }
        ++legal;
    }
    return { legal, ended: legal === moves.length && chess.isGameOver() };
}

function median(values) {
    if (values.length === 0) return NaN;
    const sorted = [...values].sort((a, b) => a - b);
    const middle = Math.floor(sorted.length / 2);
    return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

async function main() {
    send('uci');
    await until((line) => line === 'uciok');
    send('setoption name OwnBook value false');
    const totals = { lines: 0, illegal: 0, eligible: 0, short: 0, ratios: [], bestNotNamed: 0, positions: 0 };
    const perGame = [];
    for (const game of GAMES) {
        const moves = coordinateMoves(game.san);
        send(`setoption name MultiPV value ${game.multiPv}`);
        send('isready');
        await until((line) => line === 'readyok');
        const figures = { name: game.name, multiPv: game.multiPv, eligible: 0, short: 0, ratios: [], lines: 0, illegal: 0 };
        const last = Math.min(firstPly + plies, moves.length);
        for (let ply = firstPly; ply < last; ++ply) {
            const history = moves.slice(0, ply);
            send(`position startpos${history.length ? ' moves ' + history.join(' ') : ''}`);
            send(`go movetime ${moveTime}`);
            const answer = await until((line) => line.startsWith('bestmove '));
            ++totals.positions;
            const infos = answer.map(parseInfo).filter((info) => info !== null);
            for (const info of infos) {
                const played = playLine(null, history, info.moves);
                ++figures.lines;
                if (played.legal !== info.moves.length) {
                    ++figures.illegal;
                    console.log(`ILLEGAL after ${history.join(' ')}: ${JSON.stringify(info)}`);
                }
                if (info.depth < MIN_DEPTH) continue;
                figures.ratios.push(info.moves.length / info.depth);
                // Short only where the game itself went on and the line does not end it.
                if (moves.length - ply < SHORT_BELOW || played.ended) continue;
                ++figures.eligible;
                if (info.moves.length < SHORT_BELOW) ++figures.short;
            }
            const best = answer.find((line) => line.startsWith('bestmove ')).split(' ')[1];
            const lastBest = infos.filter((info) => info.multiPv === 1).pop();
            if (lastBest && lastBest.moves[0] !== best) ++totals.bestNotNamed;
        }
        perGame.push(figures);
        totals.lines += figures.lines;
        totals.illegal += figures.illegal;
        totals.eligible += figures.eligible;
        totals.short += figures.short;
        totals.ratios.push(...figures.ratios);
    }
    send('quit');
    const percent = (part, whole) => (whole ? ((100 * part) / whole).toFixed(1) : 'n/a');
    console.log(`engine ${enginePath}; positions after plies ${firstPly}..${firstPly + plies - 1}, go movetime ${moveTime}`);
    for (const figures of perGame) {
        console.log(
            `${figures.name} (MultiPV ${figures.multiPv}): ${figures.short}/${figures.eligible} short at depth >= ${MIN_DEPTH}` +
                ` (${percent(figures.short, figures.eligible)}%), median length/depth ${median(figures.ratios).toFixed(2)},` +
                ` ${figures.illegal} illegal of ${figures.lines} lines`,
        );
    }
    console.log(
        `all: ${totals.positions} positions, ${totals.lines} lines, ${totals.illegal} with an illegal move; ` +
            `${totals.short}/${totals.eligible} lines at depth >= ${MIN_DEPTH} shorter than ${SHORT_BELOW} moves ` +
            `(${percent(totals.short, totals.eligible)}%); median length/depth ${median(totals.ratios).toFixed(2)}; ` +
            `last line not naming bestmove: ${totals.bestNotNamed}`,
    );
    if (logFile) writeFileSync(logFile, log.join('\n') + '\n');
    process.exit(totals.illegal === 0 ? 0 : 1);
}

main();
