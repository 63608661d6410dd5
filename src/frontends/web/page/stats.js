'use strict';
// The statistics view: the four charts of the window's statistics window, drawn from the figures
// the program hands over (the stats layer's comparison), with the theory beside them.
const rl00Stats = (() => {
  const section = document.getElementById('stats');
  const blue = '#1f5fbf', blue2 = '#2a9d8f', orange = '#e07b00', orange2 = '#b5179e';
  const font = { family: 'IPAPGothic, sans-serif', size: 12 };
  let charts = null;
  let timer = null;
  const counted = (n) => n.toLocaleString('ja-JP');

  function base(title, x, y) {
    return {
      animation: false,
      responsive: true,
      maintainAspectRatio: false,
      plugins: { title: { display: true, text: title, font: { ...font, size: 15, weight: 'bold' } },
                 legend: { position: 'bottom', labels: { font, filter: (item) => item.text !== '' } },
                 tooltip: { enabled: true } },
      scales: { x: { ...x, title: { display: !!x.name, text: x.name, font }, ticks: { font } },
                y: { ...y, title: { display: !!y.name, text: y.name, font }, ticks: { font, ...(y.ticks || {}) } } },
    };
  }

  // Rows of intervals: observed point, 95 % interval, theory mark; numbered from 1 at the top.
  function intervalChart(id, title, xName, rows) {
    return new Chart(document.getElementById(id), {
      type: 'scatter',
      data: { datasets: [] },
      options: base(title, { type: 'linear', min: 0, max: 100, name: xName },
                    { type: 'linear', min: 0.5, max: rows + 0.5, reverse: true,
                      afterBuildTicks: (axis) => { axis.ticks = []; for (let i = 1; i <= rows; ++i) axis.ticks.push({ value: i }); },
                      ticks: { callback: () => '' } }),
    });
  }

  function intervalData(chart, rows, wholeRange) {
    const sets = [];
    const observed = [];
    let largest = 0;
    let anyTheory = false;
    rows.forEach((r, i) => {
      const row = i + 1;
      if (r.trials > 0) {
        observed.push({ x: 100 * r.share, y: row });
        sets.push({ type: 'line', label: i === 0 ? '95%信頼区間' : '', data: [{ x: 100 * r.low, y: row }, { x: 100 * r.high, y: row }],
                    borderColor: blue, borderWidth: 2.5, pointRadius: 0, showLine: true });
        largest = Math.max(largest, r.high);
      }
      if (r.theory !== null) {
        const x = 100 * r.theory;
        sets.push({ type: 'line', label: anyTheory ? '' : '理論値', data: [{ x, y: row - 0.3 }, { x, y: row + 0.3 }],
                    borderColor: orange, borderWidth: 3, pointRadius: 0, showLine: true });
        anyTheory = true;
        largest = Math.max(largest, r.theory);
      }
    });
    sets.push({ label: '観測値', data: observed, backgroundColor: blue, borderColor: '#fff', pointRadius: 5 });
    chart.data.datasets = sets;
    const labels = rows.map((r) => `${r.name}  ${counted(r.trials)}回${r.outside ? ' !' : ''}`);
    chart.options.scales.y.ticks.callback = (v) => labels[v - 1] || '';
    if (!wholeRange) chart.options.scales.x.max = largest > 0 ? niceTop(Math.min(100, 108 * largest)) : 1;
    chart.update();
  }

  function niceTop(v) {
    const step = Math.pow(10, Math.floor(Math.log10(v)));
    for (const m of [1, 2, 2.5, 5, 10]) if (m * step >= v) return m * step;
    return v;
  }

  function make() {
    const droughts = new Chart(document.getElementById('chart-droughts'), {
      type: 'scatter',
      data: { datasets: [] },
      options: base('ハマり: n回転以上大当たりが来ない確率', { type: 'linear', min: 0, name: '大当たりまでの回転数 n' },
                    { type: 'logarithmic', max: 1, name: '確率（対数目盛）' }),
    });
    const chains = new Chart(document.getElementById('chart-chains'), {
      type: 'bar',
      data: { labels: [], datasets: [] },
      options: base('連チャン: 1回の連チャンの大当たり数', { type: 'category', name: '連チャン数（大当たり回数）' },
                    { type: 'linear', min: 0, name: '連チャンの割合 (%)' }),
    });
    return {
      reliability: intervalChart('chart-reliability', 'リーチの信頼度: 大当たりで終わった割合', '信頼度 (%)', 10),
      droughts,
      chains,
      modes: intervalChart('chart-modes', '状態ごとの大当たり確率', '1回転あたりの大当たり確率 (%)', 3),
    };
  }

  function line(label, points, colour, dashed) {
    return { label, data: points.map(([x, y]) => ({ x, y })), borderColor: colour, backgroundColor: colour,
             borderWidth: dashed ? 2.5 : 2, borderDash: dashed ? [6, 4] : [], showLine: true,
             pointRadius: points.length > 0 && points[points.length - 1][0] <= 1 ? 4 : 0 };
  }

  function update(s) {
    if (charts === null) return;
    let text = `回転数 ${s.games}　大当たり ${s.hits}（確変 ${s.kakuhen_hits}）　終わった連チャン ${s.chains}`;
    if (!s.theory) text += '　（試験モードの遊技: 理論値はありません）';
    section.querySelector('.summary').textContent = text;
    intervalData(charts.reliability, s.reach_kinds, true);
    intervalData(charts.modes, s.modes, false);
    const d = s.droughts;
    const sets = [line('観測: 大当たり間', d.steps, blue, false)];
    if (s.theory) sets.push(line('理論: 大当たり間', d.theory, orange, true));
    sets.push(line('観測: 通常時から', d.steps_from_normal, blue2, false));
    if (s.theory) sets.push(line('理論: 通常時から', d.theory_from_normal, orange2, true));
    charts.droughts.data.datasets = sets;
    charts.droughts.options.scales.x.max = d.last;
    charts.droughts.options.scales.y.min = d.floor * (1 - 1e-9);
    charts.droughts.update();
    const c = charts.chains;
    c.data.labels = s.chains_rows.map((r) => r.name);
    const bars = { type: 'bar', label: '観測値', data: s.chains_rows.map((r) => 100 * r.share),
                   backgroundColor: '#8fb3e8', borderColor: blue, borderWidth: 1, barPercentage: 0.6, order: 3 };
    const sets2 = [bars];
    let largest = 0;
    s.chains_rows.forEach((r, k) => {
      if (r.trials > 0) {
        sets2.push({ type: 'line', label: k === 0 ? '95%信頼区間' : '', order: 1,
                     data: [{ x: r.name, y: 100 * r.low }, { x: r.name, y: 100 * r.high }],
                     borderColor: blue, borderWidth: 2, pointRadius: 0 });
        largest = Math.max(largest, r.high);
      }
      if (r.theory !== null) largest = Math.max(largest, r.theory);
    });
    if (s.theory) {
      sets2.push({ type: 'line', label: '理論値', order: 0, data: s.chains_rows.map((r) => (r.theory === null ? null : 100 * r.theory)),
                   borderColor: orange, backgroundColor: orange, borderWidth: 2.5, pointRadius: 3 });
    }
    c.data.datasets = sets2;
    c.options.scales.y.max = largest > 0 ? niceTop(Math.min(100, 105 * largest)) : 1;
    c.update();
  }

  function open(analysis) {
    if (charts === null) charts = make();
    section.hidden = false;
    document.getElementById('analysis-note').hidden = !analysis;
    document.getElementById('downloads').hidden = !analysis;
    rl00Page.queue('stats');
    clearInterval(timer);
    timer = setInterval(() => rl00Page.queue('stats'), 500);
  }

  function close() {
    section.hidden = true;
    clearInterval(timer);
  }

  document.getElementById('stats-close').addEventListener('click', close);
  document.getElementById('download-log').addEventListener('click', async () => {
    const bytes = await rl00Storage.logBytes();
    const a = document.createElement('a');
    a.href = URL.createObjectURL(new Blob([bytes], { type: 'text/plain' }));
    a.download = 'RL00LOG.TXT';
    a.click();
    setTimeout(() => URL.revokeObjectURL(a.href), 10000);
  });

  return { open, close, update };
})();
